#include "catalogue/productregistry.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FreshRegistry : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo &) override
    {
        ProductRegistry::resetForTesting();
        ProductRegistry::ensureAllProductsTable();
    }
    void OnTestEnd(const ::testing::TestInfo &) override { ProductRegistry::resetForTesting(); }
};

} // namespace

// The editor's tests drive widgets: a QApplication, offscreen, with settings
// kept in a scratch folder, and a fresh product registry for every test.
int main(int argc, char **argv)
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
    QCoreApplication::setApplicationName(QStringLiteral("editor"));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRegistry);
    return RUN_ALL_TESTS();
}
