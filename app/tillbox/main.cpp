#include "tillboxcli.h"

#include "host/headlessenvironment.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    HeadlessEnvironment::prepare();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tillbox"));
    TillboxCli cli;
    return cli.run(QCoreApplication::arguments());
}
