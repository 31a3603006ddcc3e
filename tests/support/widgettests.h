#pragma once

#include "support/testsupport.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace testsupport {

// The main of the programs that test widgets: a QApplication, offscreen, with
// settings kept in a scratch folder so no test reads or writes the author's.
inline int runWidgetTests(int argc, char **argv, const char *name, bool freshRegistry)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // No news from the makers' server: the news tests start servers of their own.
    qputenv("TILLBOX_FEED_URL", "");
    // The embedded browser shares OpenGL contexts with the widgets; this must
    // be said before the application object exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QCoreApplication::setOrganizationName(QStringLiteral("TillboxTests"));
    QCoreApplication::setApplicationName(QString::fromLatin1(name));
    ::testing::InitGoogleTest(&argc, argv);
    if (freshRegistry)
        freshRegistryForEachTest();
    return RUN_ALL_TESTS();
}

} // namespace testsupport
