#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The studio's tests need widgets: a QApplication, offscreen, with settings
// kept in a scratch folder so no test reads or writes the author's.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The editors fetch no news from the makers' server while the studio is tested.
    qputenv("TILLBOX_FEED_URL", "");
    // The embedded browser shares OpenGL contexts with the widgets; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("TillboxTests"));
    QCoreApplication::setApplicationName(QStringLiteral("studio"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
