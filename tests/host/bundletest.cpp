#include "host/bundle.h"

#include "support/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct BundleFolders
{
    QTemporaryDir shipped;
    QTemporaryDir custom;

    BundleFolders()
    {
        testsupport::writeFile(shipped.filePath(QStringLiteral("template_item.html")), "shipped item");
        testsupport::writeFile(shipped.filePath(QStringLiteral("template_cart.html")), "shipped cart");
        testsupport::writeFile(shipped.filePath(QStringLiteral("broken.html")), "bad \xff\xfe bytes");
        testsupport::writeFile(shipped.filePath(QStringLiteral("iconItem.png")), "png");
        testsupport::writeFile(shipped.filePath(QStringLiteral("Localizable.strings")),
                               "/* texts */\n\"NewProduct\" = \"New product\";\n"
                               "// a comment\n\"Quoted\" = \"say \\\"hi\\\"\\nbye\";\n");
        testsupport::writeFile(shipped.filePath(QStringLiteral("Info.plist")),
                               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                               "<key>QMVXExportVersion</key><string>2.1</string></dict></plist>");
        testsupport::writeFile(custom.filePath(QStringLiteral("template_item.html")), "custom item");
    }
};

} // namespace

// The override folder wins file by file; text that is not UTF-8 is refused
// as text but kept as data; strings fall back to their keys.
TEST(Bundle, LooksUpResourcesStringsAndInformation)
{
    BundleFolders folders;
    const Bundle bundle(folders.shipped.path(), folders.custom.path());
    EXPECT_EQ(bundle.resourceText(QStringLiteral("template_item"), QStringLiteral("html")), QStringLiteral("custom item"));
    EXPECT_EQ(bundle.resourceText(QStringLiteral("template_cart"), QStringLiteral("html")), QStringLiteral("shipped cart"));
    EXPECT_FALSE(bundle.resourceText(QStringLiteral("missing"), QStringLiteral("html")));
    EXPECT_TRUE(bundle.pathForResource(QStringLiteral("missing"), QStringLiteral("html")).isEmpty());
    EXPECT_FALSE(bundle.resourceText(QStringLiteral("broken"), QStringLiteral("html")));
    EXPECT_TRUE(bundle.resourceData(QStringLiteral("broken"), QStringLiteral("html")));

    EXPECT_EQ(bundle.localizedString(QStringLiteral("NewProduct")), QStringLiteral("New product"));
    EXPECT_EQ(bundle.localizedString(QStringLiteral("Quoted")), QStringLiteral("say \"hi\"\nbye"));
    EXPECT_EQ(bundle.localizedString(QStringLiteral("i18nTotal")), QStringLiteral("i18nTotal"));
    EXPECT_EQ(bundle.infoValue(QStringLiteral("QMVXExportVersion")), QStringLiteral("2.1"));
    EXPECT_TRUE(bundle.infoValue(QStringLiteral("Missing")).isEmpty());
    EXPECT_TRUE(bundle.imageResourceData(QStringLiteral("iconItem")));
}

TEST(Bundle, ShippedStringsCoverEveryShopperText)
{
    // The shipped table must give each shopper text its own wording: the
    // texts are dictionary keys, so two equal ones would collapse.
    const Bundle &bundle = Bundle::plugin();
    QStringList texts;
    for (const char *key : {"i18nAddToCart", "i18nOutOfStock", "i18nSubtotal", "i18nTotal", "i18nCheckout",
                            "i18nCancelCoupon", "NewProduct", "PluginName"}) {
        const QString text = bundle.localizedString(QLatin1String(key));
        EXPECT_NE(text, QLatin1String(key)) << key;
        texts << text;
    }
    texts.removeDuplicates();
    EXPECT_EQ(texts.size(), 8);
    EXPECT_FALSE(bundle.infoValue(QStringLiteral("QMVXExportVersion")).isEmpty());
}
