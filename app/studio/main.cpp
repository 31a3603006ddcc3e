#include "screenshottour.h"
#include "host/headlessenvironment.h"
#include "studio.h"
#include "studiowindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    // The screenshots, the version and the help need no display: pick the
    // offscreen platform before the application starts.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--screenshots" || arg == "--version" || arg == "-v" || arg == "--help" || arg == "-h")
            HeadlessEnvironment::prepare();
    }
    // Chromium cannot sandbox a process that runs as root and refuses to
    // start; there the preview runs without its sandbox.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The embedded browser shares OpenGL contexts with the widgets; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Studio::setApplicationNames();
    QApplication::setApplicationVersion(QStringLiteral(TILLBOX_VERSION));
    QApplication::setWindowIcon(Studio::applicationIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tillbox Studio: build, preview and export shop pages."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshots(QStringLiteral("screenshots"),
                                   QStringLiteral("Render the studio's states as PNG files into DIR and exit."),
                                   QStringLiteral("DIR"));
    parser.addOption(screenshots);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Site documents to open."),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);

    if (parser.isSet(screenshots)) {
        const QStringList sites = parser.positionalArguments();
        return ScreenshotTour::run(parser.value(screenshots), sites.value(0));
    }

    Studio studio;
    QApplication::setQuitOnLastWindowClosed(true);
    int opened = 0;
    for (const QString &path : parser.positionalArguments())
        opened += studio.openFile(path) ? 1 : 0;
    if (opened == 0)
        studio.newDocument();
    return app.exec();
}
