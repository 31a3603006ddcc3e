#pragma once

#include <QStringList>
#include <QTextStream>

class SiteHost;
class TillboxPlugin;

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
    TillboxPlugin *openPage(SiteHost &host, const QString &site, const QString &pageID, QString *error);

    QTextStream m_out;
    QTextStream m_err;
    bool m_quiet = false;
};
