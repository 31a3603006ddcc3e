#include "exchange/exchangetestsupport.h"

#include "exchange/producttransfer.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

using namespace exchangetest;

namespace {

enum class Image { Png, Jpeg, NotAPicture, WrongKind };

struct TransferCase
{
    const char *name;
    QVariantMap record; // "image" is added from `image`
    Image image;
    const char *imageName; // "iconItem.png": the default picture stays
};

QString textOr(const QVariant &value, const QString &fallback)
{
    return value.typeId() == QMetaType::QString ? value.toString() : fallback;
}

} // namespace

// A transferred record becomes a new, selected product with the page's tax
// rate, plain description and the picture under a name made from the SKU or
// the name; what is no picture keeps the default one.
TEST(ProductTransfer, AppendsAProductWithThePicture)
{
    const TransferCase cases[] = {
        TransferCase{"PngNamedAfterSku",
                     {{"name", "Blue Mug"}, {"SKU", "MUG 1"}, {"description", "Plain\ntext"}},
                     Image::Png,
                     "MUG-1.png"},
        TransferCase{"JpegNamedAfterNameWithoutSku", {{"name", "Tea"}}, Image::Jpeg, "Tea.jpg"},
        TransferCase{"BytesThatAreNoPictureKeepTheDefault", {{"name", "Odd"}, {"SKU", "O"}}, Image::NotAPicture,
                     "iconItem.png"},
        TransferCase{"WrongKindsLeaveDefaults", {{"name", 3}, {"SKU", true}}, Image::WrongKind, "iconItem.png"},
    };
    for (const TransferCase &c : cases) {
        SCOPED_TRACE(c.name);
        QVariantMap record = c.record;
        switch (c.image) {
        case Image::Png: record.insert(QStringLiteral("image"), encodedImage(60, 30, "png", true)); break;
        case Image::Jpeg: record.insert(QStringLiteral("image"), encodedImage(30, 60, "jpg")); break;
        case Image::NotAPicture: record.insert(QStringLiteral("image"), QByteArray("not a picture")); break;
        case Image::WrongKind: record.insert(QStringLiteral("image"), QStringLiteral("path.png")); break;
        }
        TillboxPlugin page;
        page.globalSettings()->setDefaultTaxRate(7.5f);
        page.productController().addObject(product(QStringLiteral("first")));
        const QString defaultName = TillboxProduct::create()->name();
        const int before = page.changeBroadcastCount();

        const auto added = ProductTransfer::handleTransfer(page, record);
        ASSERT_EQ(page.products().size(), 2);
        EXPECT_EQ(page.products().last(), added);
        EXPECT_EQ(page.productController().selectedProduct(), added);
        EXPECT_EQ(page.changeBroadcastCount(), before + 1);
        EXPECT_EQ(added->taxRate(), 7.5f);
        EXPECT_EQ(added->name(), textOr(record.value(QStringLiteral("name")), defaultName));
        EXPECT_EQ(added->SKU(), textOr(record.value(QStringLiteral("SKU")), QStringLiteral("")));
        ASSERT_TRUE(added->styledProductDescription());
        EXPECT_EQ(added->styledProductDescription()->text(), textOr(record.value(QStringLiteral("description")), ""));
        EXPECT_LE(added->styledProductDescription()->runs().size(), 1);
        for (const auto &run : added->styledProductDescription()->runs())
            EXPECT_TRUE(run.attributes.isPlain());

        EXPECT_EQ(added->imageName(), QString::fromLatin1(c.imageName));
        if (c.image == Image::Png || c.image == Image::Jpeg) {
            EXPECT_EQ(added->image(), record.value(QStringLiteral("image")).toByteArray());
        }
        // Icon and stored bytes describe the same picture.
        ASSERT_TRUE(added->icon());
        EXPECT_EQ(added->icon()->size(), Picture(added->image()).size());
    }
}

