#include "tillboxcli.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <unistd.h>

int main(int argc, char **argv)
{
    // Pictures and text layout need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Without a runtime folder Qt prints a warning on every run; give it a
    // private one so standard error carries only what the command says.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/tillbox-runtime-%1").arg(getuid());
        if (QDir().mkpath(runtime)) {
            QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        }
    }
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("tillbox"));
    TillboxCli cli;
    return cli.run(QCoreApplication::arguments());
}
