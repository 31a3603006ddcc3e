#include "exchange/exchangetestsupport.h"

#include "exchange/ferrulesync.h"
#include "host/ferruleplugin.h"
#include "host/hostclassregistry.h"
#include "plugin/recordingeditor.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"
#include "support/testsupport.h"

#include <QTemporaryDir>

using namespace exchangetest;

namespace {

// A page with an editor, and a Ferrule whose catalogue is written into a
// folder beside two pictures: "photo.jpg" (no alpha) and "logo.png" (alpha).
class FerruleSyncTest : public RegistryTest
{
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        page = std::make_shared<TillboxPlugin>();
        page->setEditor(&editor);
        testsupport::writeFile(dir.filePath(QStringLiteral("photo.jpg")), encodedImage(40, 30, "jpg"));
        testsupport::writeFile(dir.filePath(QStringLiteral("logo.png")), encodedImage(40, 30, "png", true));
        editor.clear();
    }
    void TearDown() override
    {
        HostClassRegistry::registerClass(FerrulePlugin::className(), nullptr);
        page.reset();
        RegistryTest::TearDown();
    }
    FerruleSync::Result sync(const QByteArray &json)
    {
        const QString path = dir.filePath(QStringLiteral("ferrule.json"));
        testsupport::writeFile(path, json);
        QString error;
        EXPECT_TRUE(FerrulePlugin::registerCatalogue(path, &error)) << qPrintable(error);
        broadcastsBefore = page->changeBroadcastCount();
        return FerruleSync::syncFerruleProducts(*page);
    }
    std::shared_ptr<TillboxProduct> onPage(const QString &sku)
    {
        auto p = product(sku);
        page->productController().addObject(p);
        return p;
    }

    QTemporaryDir dir;
    RecordingEditor editor;
    std::shared_ptr<TillboxPlugin> page;
    int broadcastsBefore = 0;
};

struct RecordCase
{
    const char *name;
    const char *record; // one JSON object; SKU "S" is added
    bool existingCoupon = false;
    float price = 0;
    bool coupon = false;
    float couponValue = 10;
    bool couponsOn = false;
    int status = 0;
    const char *imageName = "kept.png";
};

class FerruleRecordTest : public FerruleSyncTest, public ::testing::WithParamInterface<RecordCase>
{
};

} // namespace

TEST_P(FerruleRecordTest, TakesTheRecordOver)
{
    const RecordCase &c = GetParam();
    auto existing = onPage(QStringLiteral("S"));
    if (c.existingCoupon)
        existing->setHasCouponCode(true); // percent 10, as a new product has
    existing->setImageName(QStringLiteral("kept.png"));
    sync("[{\"SKU\": \"S\", " + QByteArray(c.record) + "}]");

    ASSERT_EQ(page->products().size(), 1);
    EXPECT_EQ(existing->price(), c.price);
    EXPECT_EQ(existing->hasCouponCode(), c.coupon);
    EXPECT_EQ(existing->couponType(), c.coupon && !c.existingCoupon ? 1 : 0);
    EXPECT_EQ(existing->couponValue(), c.couponValue);
    EXPECT_EQ(page->globalSettings()->enableCoupons(), c.couponsOn);
    EXPECT_FALSE(existing->hasSpecialPrice());
    EXPECT_EQ(existing->status(), c.status);
    EXPECT_EQ(existing->imageName(), QString::fromLatin1(c.imageName));
    // The stored bytes and the icon always describe one picture.
    ASSERT_TRUE(existing->icon());
    EXPECT_EQ(Picture(existing->image()).size(), existing->icon()->size());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FerruleRecordTest,
    ::testing::Values(
        RecordCase{.name = "SpecialPriceMakesFixedCoupon",
                   .record = R"("Price": 20, "HasSpecialPrice": 1, "SpecialPrice": 15)",
                   .price = 20, .coupon = true, .couponValue = 5, .couponsOn = true},
        RecordCase{.name = "ExistingCouponKept", .record = R"("Price": 20, "HasSpecialPrice": 0, "SpecialPrice": 15)",
                   .existingCoupon = true, .price = 20, .coupon = true},
        RecordCase{.name = "SpecialAbovePrice",
                   .record = R"("Price": 20, "HasSpecialPrice": null, "SpecialPrice": 25)",
                   .price = 25, .coupon = true, .couponValue = 5, .couponsOn = true},
        RecordCase{.name = "SpecialPriceIgnoredWithoutFlag", .record = R"("Price": 9.5, "SpecialPrice": 5)",
                   .price = 9.5f},
        RecordCase{.name = "NegativePriceGivesZero", .record = R"("Price": -3)"},
        RecordCase{.name = "ZeroSpecialPriceNoCoupon",
                   .record = R"("Price": 20, "HasSpecialPrice": 1, "SpecialPrice": 0)", .price = 20},
        RecordCase{.name = "WrongKindsReadAsZero", .record = R"("Price": [1], "Status": {"a": 1}, "Name": 5)"},
        RecordCase{.name = "NumberTextsRead", .record = R"("Price": "7.25", "Status": "1")", .price = 7.25f,
                   .status = 2},
        RecordCase{.name = "AnyOtherStatusHides", .record = R"("Status": 3)", .status = 2},
        RecordCase{.name = "ImageBytesKeepFileName",
                   .record = R"("FileName": "Photo 1.jpg", "Image": "photo.jpg", "Icon": "logo.png")",
                   .imageName = "Photo 1.jpg"},
        RecordCase{.name = "IconWithoutAlphaBecomesJpeg", .record = R"("FileName": "Photo 1.jpg", "Icon": "photo.jpg")",
                   .imageName = "Photo_1_jpg.jpg"},
        RecordCase{.name = "IconWithAlphaBecomesPng", .record = R"("FileName": "logo", "Icon": "logo.png")",
                   .imageName = "logo.png"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FerruleSyncTest, UpdatesTheFirstMatchAppendsTheRestAndReports)
{
    auto a1 = onPage(QStringLiteral("A"));
    auto b = onPage(QStringLiteral("B"));
    auto a2 = onPage(QStringLiteral("A"));
    auto lower = onPage(QStringLiteral("c"));
    editor.clear();
    const auto result = sync(R"([{"SKU": "B", "Name": "Bee"}, {"SKU": "C", "Name": "Sea"}, {"SKU": "A", "Name": "Ay"},
                                 {"Name": "No SKU"}])");
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.updated, 2);
    const auto &products = page->products();
    ASSERT_EQ(products.size(), 6);
    EXPECT_EQ(products.mid(0, 4), (TillboxPlugin::ProductList{a1, b, a2, lower}));
    EXPECT_EQ(a1->name(), QStringLiteral("Ay"));
    EXPECT_EQ(a2->name(), QStringLiteral("P")) << "only the first product with the SKU is updated";
    EXPECT_EQ(lower->name(), QStringLiteral("P")) << "SKUs match with case";
    EXPECT_EQ(products[4]->SKU(), QStringLiteral("C"));
    EXPECT_EQ(products[5]->SKU(), QStringLiteral(""));
    EXPECT_EQ(products[5]->name(), QStringLiteral("No SKU"));
    EXPECT_GT(page->changeBroadcastCount(), broadcastsBefore);
    ASSERT_EQ(editor.alerts.size(), 1u);
    EXPECT_EQ(editor.alerts[0], (QStringList{QStringLiteral("Products taken over from Ferrule"),
                                             QStringLiteral("New products added: 2\nExisting products updated: 2"),
                                             QStringLiteral("OK")}));
}

TEST_F(FerruleSyncTest, WithoutFerruleOnlyTheErrorAlert)
{
    auto existing = onPage(QStringLiteral("A"));
    editor.clear();
    const auto expectUntouched = [&](const FerruleSync::Result &result) {
        EXPECT_FALSE(result.ferruleAvailable);
        EXPECT_EQ(page->products(), TillboxPlugin::ProductList{existing});
        EXPECT_EQ(page->changeBroadcastCount(), broadcastsBefore);
        ASSERT_EQ(editor.alerts.size(), 1u);
        EXPECT_EQ(editor.alerts[0][0], QStringLiteral("Ferrule is not available"));
        editor.clear();
    };
    broadcastsBefore = page->changeBroadcastCount();
    expectUntouched(FerruleSync::syncFerruleProducts(*page));
    // A class of that name that does not answer allProducts is no Ferrule.
    HostClassRegistry::registerClass(FerrulePlugin::className(), std::make_shared<QObject>());
    expectUntouched(FerruleSync::syncFerruleProducts(*page));
}
