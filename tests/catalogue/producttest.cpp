#include "catalogue/catalogueutil.h"

#include "catalogue/productregistry.h"
#include "catalogue/tillboxproduct.h"
#include "catalogue/tillboxproductoption.h"
#include "host/bundle.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace testsupport;
using catalogueutil::option;

namespace {

QJsonObject withoutID(QJsonObject json)
{
    json.remove(QStringLiteral("productID"));
    return json;
}

// A product with every field away from its default; its second option is a
// text input (no values shown) that still holds values, one of them unnamed.
std::shared_ptr<TillboxProduct> filledProduct()
{
    auto product = TillboxProduct::create();
    product->setIconName(QStringLiteral("red_shirt"));
    product->setImage(encodedPicture(400, 300, "jpeg"));
    product->setIconWidth(100);
    product->setImageName(QStringLiteral("red shirt.jpg"));
    product->setHasDropShadow(true);
    product->setName(QStringLiteral("Red shirt"));
    product->setSKU(QStringLiteral("RS-1"));
    product->setUseHtmlDescription(true);
    StyledText description(QStringLiteral("Soft "));
    description.append(QStringLiteral("cotton"), TextAttributes{TextFont{QStringLiteral("Helvetica-Bold"), 14}});
    product->setStyledProductDescription(description);
    product->setHtmlProductDescription(QStringLiteral("<p>Soft</p>"));
    product->optionsArray() << option(20, QStringLiteral("Size"), {{QStringLiteral("S"), -1.5f, 0.25f}})
                            << option(15, QStringLiteral("Engraving"),
                                      {{QStringLiteral("b"), 0.1f, 3}, {QString(), 0, 0}});
    product->setPrice(19.99f);
    product->setHasSpecialPrice(true);
    product->setSpecialPrice(14.5f);
    product->setTaxRate(19);
    product->setHasShipping(false);
    product->setShipping(4.9f);
    product->setAdditionalItemShipping(1.1f);
    product->setHasCouponCode(true);
    product->setCouponCode(QStringLiteral("SUMMER"));
    product->setCouponDescription(QStringLiteral("")); // empty, not absent
    product->setCouponValue(2.5f);
    product->setCouponType(3);
    product->setCouponStart(QDateTime(QDate(2024, 6, 1), QTime(8, 0), QTimeZone::utc()));
    product->setCouponEnd(QDateTime(QDate(2024, 8, 31), QTime(23, 59, 59), QTimeZone::utc()));
    product->setPurchaseLimit(5);
    product->setStatus(TillboxProduct::StatusOutOfStock);
    product->setWeight(0.3f);
    return product;
}

std::shared_ptr<TillboxProduct> loadStored(std::function<void(KeyedArchiver &)> write)
{
    return unarchive<TillboxProduct>(storedArchive<TillboxProduct>(std::move(write)));
}

// "name/tag: value=price/weight ..." per option; "-" for an absent name.
QStringList optionSummary(const TillboxProduct &product)
{
    QStringList lines;
    for (const auto &option : product.optionsArray()) {
        QString line = (option->optionName().isNull() ? QStringLiteral("-") : option->optionName())
                       + QStringLiteral("/%1:").arg(option->optionTypeTag());
        for (const auto &value : option->optionValuesArray())
            line += QStringLiteral(" %1=%2/%3").arg(value->optionValueName()).arg(value->optionValuePrice()).arg(value->optionValueWeight());
        lines << line;
    }
    return lines;
}

} // namespace

TEST(TillboxProduct, NewProductDefaults)
{
    const QDateTime before = QDateTime::currentDateTime();
    const auto product = TillboxProduct::create();
    EXPECT_EQ(product->name(), Bundle::plugin().localizedString(QStringLiteral("NewProduct")));
    EXPECT_EQ(product->imageName(), QStringLiteral("iconItem.png"));
    EXPECT_FALSE(product->iconName().isNull() || product->SKU().isNull());
    ASSERT_TRUE(product->styledProductDescription().has_value());
    EXPECT_TRUE(product->couponCode().isNull());
    ASSERT_TRUE(product->couponStart() && product->couponEnd());
    EXPECT_GE(*product->couponStart(), before);
    EXPECT_EQ(product->couponStart()->secsTo(*product->couponEnd()), 5184000);
    EXPECT_EQ(ProductRegistry::allOrderedProducts(), QList<std::shared_ptr<TillboxProduct>>{product});
    EXPECT_EQ(product->image(), Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray()));
    // Without a picture resource the height keeps its starting value.
    const auto icon = product->icon();
    EXPECT_EQ(product->iconHeight(), icon ? 64 * icon->height() / icon->width() : 64);
}

TEST(TillboxProduct, RoundTripKeepsEveryFieldAndAFreeID)
{
    const auto product = filledProduct();
    const QByteArray archive = KeyedArchiver::archivedData(*product);
    const int32_t id = product->productID();
    ProductRegistry::freeProductID(id); // its page has been closed

    const auto loaded = unarchive<TillboxProduct>(archive);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->productID(), id);
    EXPECT_EQ(loaded->toJson(), product->toJson());
    EXPECT_EQ(loaded->styledProductDescription(), product->styledProductDescription());
    EXPECT_EQ(loaded->couponStart(), product->couponStart());
    EXPECT_EQ(loaded->image(), product->image());
    EXPECT_TRUE(loaded->couponDescription().isEmpty() && !loaded->couponDescription().isNull());
    EXPECT_FALSE(loaded->optionsArray()[1]->hasOptionValues());
    EXPECT_EQ(loaded->optionsArray()[1]->optionValuesArray()[0]->optionValuePrice(), 0.1f);
    EXPECT_EQ(ProductRegistry::allOrderedProducts().value(0), loaded); // took over "RS-1"

    // Loaded again while the first copy is open: a new ID.
    const auto second = unarchive<TillboxProduct>(archive);
    ASSERT_TRUE(second);
    EXPECT_NE(second->productID(), id);
    EXPECT_EQ(withoutID(second->toJson()), withoutID(product->toJson()));
}

TEST(TillboxProduct, StoresOnlyCurrentKeys)
{
    struct KeyCheck
    {
        static QStringList archiveClassNames() { return {QStringLiteral("TillboxProduct")}; }
        static std::shared_ptr<KeyCheck> initWithCoder(KeyedUnarchiver &coder)
        {
            for (const char *key : {"ProductID", "IconName", "IconWidth", "IconHeight", "Image", "ImageName",
                                    "HasDropShadow", "Name", "SKU", "UseHtmlDescription", "StyledDescription",
                                    "HtmlProductDescription", "OptionsArray", "Price", "HasSpecialPrice",
                                    "SpecialPrice", "TaxRate", "HasShipping", "Shipping", "AdditionalItemShipping",
                                    "HasCouponCode", "CouponCode", "CouponDescription", "CouponValue", "CouponType",
                                    "CouponStart", "CouponEnd", "PurchaseLimit", "Status", "Weight"})
                EXPECT_TRUE(coder.containsValueForKey(key)) << key;
            for (const char *key : {"Icon", "Description", "OptionSet1Label", "OptionSet1Array", "OptionSet1"})
                EXPECT_FALSE(coder.containsValueForKey(key)) << key;
            EXPECT_EQ(coder.decodeDouble("CouponType"), 3.0);
            return std::make_shared<KeyCheck>();
        }
    };
    EXPECT_TRUE(unarchive<KeyCheck>(KeyedArchiver::archivedData(*filledProduct())));
}

// --- Options as older versions stored them ---------------------------------------------------

struct OldOptionsCase
{
    const char *name;
    std::function<void(KeyedArchiver &)> write;
    QStringList options; // optionSummary of the loaded product
};

class OldOptions : public ::testing::TestWithParam<OldOptionsCase>
{
};

TEST_P(OldOptions, LoadAsOptionsWithValues)
{
    const auto product = loadStored(GetParam().write);
    ASSERT_TRUE(product);
    EXPECT_EQ(optionSummary(*product), GetParam().options);
}

namespace {

std::shared_ptr<TillboxProductOption> entry(const QString &name, float price)
{
    auto option = std::make_shared<TillboxProductOption>();
    option->setOptionName(name);
    option->setOptionPrice(price);
    return option;
}
using Entries = QList<std::shared_ptr<TillboxProductOption>>;

// The oldest form: string lists under labels, an unlabelled set only when it
// has entries (a nameless text input helps nobody). The middle form: entry
// objects with a switch and a type each; the oldest keys are then ignored.
const OldOptionsCase kOldOptionsCases[] = {
    {"OldestValueList",
     [](KeyedArchiver &c) {
         c.encodeString("OptionSet1Label", QStringLiteral("Size"));
         c.encodeStringList("OptionSet1", {QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L")});
         c.encodeString("OptionSet2Label", QStringLiteral(""));
         c.encodeStringList("OptionSet2", {QStringLiteral("ignored")});
     },
     {"Size/20: S=0/0 M=0/0 L=0/0"}},
    {"OldestTextInput",
     [](KeyedArchiver &c) {
         c.encodeString("OptionSet1Label", QStringLiteral("Engraving"));
         c.encodeStringList("OptionSet1", {});
         c.encodeString("OptionSet2Label", QStringLiteral(""));
     },
     {"Engraving/10:"}},
    {"OldestWithoutLabels", [](KeyedArchiver &c) { c.encodeStringList("OptionSet2", {QStringLiteral("Red")}); },
     {"-/20: Red=0/0"}},
    {"MiddleValueList",
     [](KeyedArchiver &c) {
         c.encodeString("OptionSet1Label", QStringLiteral("Unused"));
         c.encodeBoolNumber("HasOptionSet1", false);
         c.encodeObjectList("OptionSet1Array", Entries{entry("x", 1)});
         c.encodeIntNumber("OptionSet1TypeIndex", 1);
         c.encodeString("OptionSet2Label", QStringLiteral("Colour"));
         c.encodeBoolNumber("HasOptionSet2", true);
         c.encodeObjectList("OptionSet2Array", Entries{entry("Red", 1.5f), entry("Blue", -2)});
         c.encodeIntNumber("OptionSet2TypeIndex", 2);
         c.encodeStringList("OptionSet1", {QStringLiteral("S")});
     },
     {"Colour/20: Red=1.5/0 Blue=-2/0"}},
    {"MiddleTextInput",
     [](KeyedArchiver &c) {
         c.encodeString("OptionSet1Label", QStringLiteral("Note"));
         c.encodeBoolNumber("HasOptionSet1", true);
         c.encodeObjectList("OptionSet1Array", Entries{});
     },
     {"Note/10:"}},
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Forms, OldOptions, ::testing::ValuesIn(kOldOptionsCases),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Other older and damaged archives ----------------------------------------------------------

TEST(TillboxProduct, OldestPictureFormIsReencoded)
{
    for (const bool alpha : {true, false}) {
        const auto product = loadStored([&](KeyedArchiver &coder) {
            coder.encodeString("IconName", QStringLiteral("shirt"));
            coder.encodeIntNumber("IconWidth", 64);
            coder.encodeIntNumber("IconHeight", 7);
            coder.encodeImageData("Icon", encodedPicture(300, 400, "png", alpha));
        });
        ASSERT_TRUE(product && product->icon());
        EXPECT_EQ(product->imageName(), alpha ? QStringLiteral("shirt.png") : QStringLiteral("shirt.jpg"));
        EXPECT_EQ(product->icon()->format(), alpha ? QByteArray("png") : QByteArray("jpeg"));
        EXPECT_EQ(product->icon()->encodedData(), product->image());
        EXPECT_EQ(product->icon()->size(), QSize(300, 400));
        EXPECT_EQ(product->iconHeight(), 85);
    }

    // Neither form: no picture, and no name for a file that does not exist.
    const auto none = loadStored([](KeyedArchiver &coder) { coder.encodeString("IconName", QStringLiteral("x")); });
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->icon());
    EXPECT_TRUE(none->image().isNull());
    EXPECT_TRUE(none->imageName().isNull());

    const auto garbage = loadStored([](KeyedArchiver &coder) {
        coder.encodeData("Image", QByteArray("garbage"));
        coder.encodeString("ImageName", QStringLiteral("g.jpg"));
        coder.encodeIntNumber("IconWidth", 64);
        coder.encodeIntNumber("IconHeight", 50);
    });
    ASSERT_TRUE(garbage);
    EXPECT_FALSE(garbage->icon());
    EXPECT_EQ(garbage->image(), QByteArray("garbage")) << "undecodable bytes are kept";
    EXPECT_EQ(garbage->imageName(), QStringLiteral("g.jpg"));
    EXPECT_EQ(garbage->iconHeight(), 50);
}

TEST(TillboxProduct, PlainDescriptionAndStyledDescription)
{
    const auto plain = loadStored([](KeyedArchiver &coder) { coder.encodeString("Description", QStringLiteral("Old")); });
    ASSERT_TRUE(plain && plain->styledProductDescription());
    EXPECT_EQ(*plain->styledProductDescription(), StyledText(QStringLiteral("Old")));

    const auto both = loadStored([](KeyedArchiver &coder) {
        coder.encodeString("Description", QStringLiteral("Old"));
        coder.encodeStyledText("StyledDescription", StyledText(QStringLiteral("New")));
    });
    ASSERT_TRUE(both && both->styledProductDescription());
    EXPECT_EQ(both->styledProductDescription()->text(), QStringLiteral("New"));

    const auto neither = loadStored([](KeyedArchiver &) {});
    ASSERT_TRUE(neither);
    EXPECT_FALSE(neither->styledProductDescription());
}

TEST(TillboxProduct, KeyGroupsOfLaterVersions)
{
    const auto old = loadStored([](KeyedArchiver &coder) {
        coder.encodeFloatNumber("Shipping", 3);
        coder.encodeFloatNumber("CouponValue", 5); // without "HasCouponCode": not read
        coder.encodeString("CouponCode", QStringLiteral("X"));
        coder.encodeDate("CouponStart", QDateTime::currentDateTime());
    });
    ASSERT_TRUE(old);
    EXPECT_FALSE(old->hasShipping());
    EXPECT_EQ(old->shipping(), 3.0f);
    EXPECT_FALSE(old->hasCouponCode());
    EXPECT_EQ(old->couponValue(), 0.0f);
    EXPECT_TRUE(old->couponCode().isNull());
    EXPECT_FALSE(old->couponStart() || old->couponEnd());

    const auto current = loadStored([](KeyedArchiver &coder) {
        coder.encodeBoolNumber("HasShipping", true);
        coder.encodeBoolNumber("HasCouponCode", false);
        coder.encodeFloatNumber("CouponValue", 5);
        coder.encodeFloatNumber("CouponType", 1.9f);
    });
    ASSERT_TRUE(current);
    EXPECT_TRUE(current->hasShipping());
    EXPECT_EQ(current->couponValue(), 5.0f);
    EXPECT_EQ(current->couponType(), 1);
}

TEST(TillboxProduct, CopyIsIndependentAndTakesTheSKU)
{
    const auto source = filledProduct();
    const auto copy = source->copy();
    EXPECT_NE(copy->productID(), source->productID());
    EXPECT_EQ(withoutID(copy->toJson()), withoutID(source->toJson()));
    EXPECT_EQ(copy->styledProductDescription(), source->styledProductDescription());
    EXPECT_EQ(copy->couponStart(), source->couponStart());

    ASSERT_EQ(copy->optionsArray().size(), 2);
    EXPECT_NE(copy->optionsArray()[0], source->optionsArray()[0]);
    copy->optionsArray()[0]->optionValuesArray()[0]->setOptionValuePrice(99);
    copy->optionsArray().append(TillboxOption::create());
    EXPECT_EQ(source->optionsArray()[0]->optionValuesArray()[0]->optionValuePrice(), -1.5f);
    EXPECT_EQ(source->optionsArray().size(), 2);

    EXPECT_EQ(ProductRegistry::allOrderedProducts(), QList<std::shared_ptr<TillboxProduct>>{copy});
}

// --- The thumbnail ------------------------------------------------------------------------------

// The width is clamped to 16...512 and the height follows the picture.
TEST(TillboxProduct, IconWidthIsClampedAndHeightFollowsThePicture)
{
    for (const auto &[picture, requested, width, height] :
         {std::tuple{QSize(640, 480), 64, 64, 48}, {QSize(300, 400), 64, 64, 85}, {QSize(400, 300), 64, 64, 48},
          {QSize(300, 200), 100, 100, 66}, {QSize(640, 480), 8, 16, 12}, {QSize(640, 480), -5, 16, 12},
          {QSize(640, 480), 1000, 512, 384}, {QSize(1, 3000), 512, 512, 1536000}}) {
        auto product = TillboxProduct::create();
        product->setImage(encodedPicture(picture.width(), picture.height(), "jpeg"));
        product->setIconHeight(999);
        product->setIconWidth(requested);
        EXPECT_EQ(product->iconWidth(), width) << requested;
        EXPECT_EQ(product->iconHeight(), height) << picture.width() << "x" << picture.height();
    }
}

// Loading clamps the stored width and takes the height from the picture
// without decoding a pixel of it.
TEST(TillboxProduct, LoadingSizesTheThumbnailFromTheHeaderAlone)
{
    const auto loaded = loadStored([&](KeyedArchiver &coder) {
        coder.encodeIntNumber("IconWidth", 1000);
        coder.encodeIntNumber("IconHeight", 999);
        coder.encodeData("Image", encodedPicture(640, 480, "jpeg"));
    });
    ASSERT_TRUE(loaded && loaded->icon());
    EXPECT_EQ(loaded->iconWidth(), 512);
    EXPECT_EQ(loaded->iconHeight(), 384);
    EXPECT_EQ(loaded->icon()->size(), QSize(640, 480));
    loaded->toJson();
    EXPECT_FALSE(loaded->icon()->isDecoded());

    auto product = TillboxProduct::create();
    product->setImage(QByteArray());
    product->setIconHeight(70);
    product->setIconWidth(100); // no picture: the height stays
    EXPECT_EQ(product->iconHeight(), 70);
    product->setIcon(std::make_shared<const Picture>(QImage(200, 50, QImage::Format_RGB32)));
    EXPECT_EQ(product->iconHeight(), 25);
}

// Icon names become file names: what is not a letter, digit or "_" turns
// into one "_" (a combining mark is kept, an emoji is one "_").
TEST(TillboxProduct, IconNameIsSanitised)
{
    for (const auto &[name, expected] :
         {std::pair{QStringLiteral("a.b-c"), QStringLiteral("a_b_c")}, {QStringLiteral(""), QStringLiteral("")},
          {QString(), QString()}, {QStringLiteral("Blue shirt (XL)"), QStringLiteral("Blue_shirt__XL_")},
          {QStringLiteral("Crème brûlée 2"), QStringLiteral("Crème_brûlée_2")},
          {QStringLiteral("e\u0301t\u00e9"), QStringLiteral("e\u0301t\u00e9")},
          {QStringLiteral("商品/Ω"), QStringLiteral("商品_Ω")}, {QString::fromUtf8("a\xF0\x9F\x98\x80"), QStringLiteral("a_")},
          {QString::fromUtf8("\xF0\xA0\x80\x80"), QString::fromUtf8("\xF0\xA0\x80\x80")}}) {
        auto product = TillboxProduct::create();
        product->setIconName(name);
        EXPECT_EQ(product->iconName(), expected);
        EXPECT_EQ(product->iconName().isNull(), expected.isNull());
    }
}

// Setters announce real changes only (absent -> empty is one); editors write
// fields by name through the setters' rules: the SKU reaches the registry,
// the thumbnail width is clamped.
TEST(TillboxProduct, SettersAndFieldAccessByNameAnnounceRealChangesOnly)
{
    auto product = TillboxProduct::create();
    QStringList announced;
    QObject::connect(product.get(), &TillboxProduct::valueChanged, [&](const QString &key) { announced << key; });
    for (const QString &field : product->toJson().keys()) {
        // The picture is rebuilt from its bytes on every store, by design.
        if (field != QLatin1String("icon") && field != QLatin1String("image"))
            product->setFieldValue(field, product->fieldValue(field));
    }
    product->setCouponCode(QString());
    product->setIconWidth(64);
    EXPECT_TRUE(announced.isEmpty()) << announced.join(u',').toStdString();
    product->setCouponCode(QStringLiteral(""));
    product->setPrice(2);
    product->setPrice(2);
    EXPECT_EQ(announced, (QStringList{QStringLiteral("couponCode"), QStringLiteral("price")}));

    product->setFieldValue(u"SKU", QStringLiteral("CAP-1"));
    product->setFieldValue(u"iconWidth", 4000);
    product->setFieldValue(u"price", 12.5);
    EXPECT_EQ(ProductRegistry::allOrderedProducts().value(0), product);
    EXPECT_EQ(ProductRegistry::allProducts().value(0).value(QStringLiteral("SKU")).toString(), QStringLiteral("CAP-1"));
    EXPECT_EQ(product->iconWidth(), TBXMaxIconSize);
    EXPECT_FLOAT_EQ(product->price(), 12.5f);
}
