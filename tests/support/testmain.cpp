#include "catalogue/productregistry.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

// The site's product registry is process-wide: every test starts with an empty
// one, as in a fresh process with a plug-in already loaded (so SKUs are recorded).
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

// Every test program runs inside an offscreen QGuiApplication, so that images,
// fonts and painting behave as they do in the programs.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRegistry);
    return RUN_ALL_TESTS();
}
