#pragma once

#include <QStringList>
#include <QTextStream>

// The `tillbox` command: reads its arguments, runs one command, and returns
// the process exit status. Errors are one clear line on standard error.
class TillboxCli
{
public:
    TillboxCli();
    int run(const QStringList &arguments);

private:
    int inspect(const QStringList &args);
    int resave(const QStringList &args);
    int newSite(const QStringList &args);
    int addPage(const QStringList &args);
    int exportSite(const QStringList &args);
    int csv(const QStringList &args);
    int images(const QStringList &args);
    int sync(const QStringList &args);
    int addProduct(const QStringList &args);
    int importCsv(const QStringList &args);
    int usage(int status);
    int fail(const QString &message);

    QTextStream m_out;
    QTextStream m_err;
    bool m_quiet = false;
};
