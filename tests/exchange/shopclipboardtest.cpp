#include "exchange/exchangetestsupport.h"

#include "archive/keyedarchiver.h"
#include "exchange/shopclipboard.h"
#include "plugin/recordingeditor.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace exchangetest;

namespace {

// Two pages, A the source and B (with an editor) the target.
class ShopClipboardTest : public RegistryTest
{
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        a = std::make_shared<TillboxPlugin>();
        b = std::make_shared<TillboxPlugin>();
        b->setEditor(&editor);
        b->productController().addObject(product(QStringLiteral("B1")));
        editor.clear();
    }
    void TearDown() override
    {
        a.reset();
        b.reset();
        RegistryTest::TearDown();
    }
    // The watch is in force on a record when changing it marks B changed.
    bool watched(TillboxGlobalSettings &settings)
    {
        const int before = b->changeBroadcastCount();
        settings.setCartWidth(settings.cartWidth() + 1);
        return b->changeBroadcastCount() == before + 1;
    }

    RecordingEditor editor;
    std::shared_ptr<TillboxPlugin> a;
    std::shared_ptr<TillboxPlugin> b;
};

std::unique_ptr<QMimeData> mimeWith(const QString &type, const QByteArray &bytes)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(type, bytes);
    return data;
}

} // namespace

TEST_F(ShopClipboardTest, SettingsTravelThroughTheClipboardInOrder)
{
    TillboxGlobalSettings &source = *a->globalSettings();
    source.currency()->setCode(QStringLiteral("CHF"));
    source.currency()->setSymbol(QStringLiteral("Fr."));
    source.setDecimalSeparatorIndex(1);
    source.setPayPalAccount(QStringLiteral("shop@example.com"));
    const auto old = b->globalSettings();
    const auto products = b->products();

    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(ShopClipboard::copyLocalizableStrings(*a).release());
    clipboard->setMimeData(ShopClipboard::copyGlobalSettings(*a).release());
    // Copying the settings replaced the texts copied before.
    EXPECT_EQ(clipboard->mimeData()->formats(), QStringList{ShopClipboard::globalSettingsType()});
    EXPECT_FALSE(ShopClipboard::canPasteLocalizableStrings(clipboard->mimeData()));
    ASSERT_TRUE(ShopClipboard::pasteGlobalSettings(*b, clipboard->mimeData()));

    const TillboxGlobalSettings &pasted = *b->globalSettings();
    EXPECT_NE(&pasted, old.get());
    EXPECT_EQ(b->globalSettingsController().content(), b->globalSettings());
    EXPECT_EQ(pasted.currency()->code(), QStringLiteral("CHF"));
    EXPECT_EQ(pasted.decimalSeparatorIndex(), 1);
    EXPECT_EQ(pasted.payPalAccount(), QStringLiteral("shop@example.com"));
    EXPECT_EQ(b->products(), products);
    EXPECT_EQ(editor.events, (std::vector<QString>{QStringLiteral("currency Fr."), QStringLiteral("checkout"),
                                                   QStringLiteral("broadcast")}));
    EXPECT_FALSE(watched(*old)) << "the replaced record is no longer watched";
    EXPECT_TRUE(watched(*b->globalSettings()));
}

TEST_F(ShopClipboardTest, DataThatDoesNotDecodeChangesNothingAndKeepsTheWatch)
{
    const QByteArray good = ShopClipboard::encodeGlobalSettings(*a->globalSettings());
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x5a);
    const struct
    {
        const char *name;
        std::unique_ptr<QMimeData> data;
    } cases[] = {
        {"nothing", nullptr},
        {"plain text only", [] {
             auto data = std::make_unique<QMimeData>();
             data->setText(QStringLiteral("hello"));
             return data;
         }()},
        {"empty", mimeWith(ShopClipboard::globalSettingsType(), QByteArray())},
        {"truncated", mimeWith(ShopClipboard::globalSettingsType(), good.left(good.size() / 2))},
        {"damaged", mimeWith(ShopClipboard::globalSettingsType(), flipped)},
        {"texts under the settings type",
         mimeWith(ShopClipboard::globalSettingsType(), ShopClipboard::encodeLocalizableStrings({}))},
    };
    const auto settings = b->globalSettings();
    for (const auto &c : cases) {
        const int before = b->changeBroadcastCount();
        QString error;
        // A flipped byte may land in a value rather than the structure; then
        // the paste is whole, and that is fine too.
        const bool pasted = ShopClipboard::pasteGlobalSettings(*b, c.data.get(), &error);
        if (pasted && std::string(c.name) == "damaged")
            continue;
        EXPECT_FALSE(pasted) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
        EXPECT_EQ(b->globalSettings(), settings) << c.name;
        EXPECT_EQ(b->changeBroadcastCount(), before) << c.name;
        EXPECT_TRUE(watched(*settings)) << c.name;
    }
    EXPECT_FALSE(ShopClipboard::pasteLocalizableStrings(
        *b, mimeWith(ShopClipboard::localizableStringsType(), good).get()));
}

TEST_F(ShopClipboardTest, TextsMergeOnlyKnownDefaults)
{
    QMap<QString, QString> texts = a->globalSettings()->localizableStrings();
    texts.insert(QStringLiteral("Total"), QStringLiteral("Summe"));
    a->globalSettings()->setLocalizableStrings(texts);
    ASSERT_EQ(ShopClipboard::decodeLocalizableStrings(
                  ShopClipboard::copyLocalizableStrings(*a)->data(ShopClipboard::localizableStringsType())),
              texts);
    // Texts of a page that ran in another language carry defaults unknown here.
    texts.insert(QStringLiteral("Gesamt"), QStringLiteral("from another language"));
    const auto data = mimeWith(ShopClipboard::localizableStringsType(), ShopClipboard::encodeLocalizableStrings(texts));

    const int before = b->changeBroadcastCount();
    ASSERT_TRUE(ShopClipboard::pasteLocalizableStrings(*b, data.get()));
    const auto &pasted = b->globalSettings()->localizableStrings();
    EXPECT_EQ(pasted.value(QStringLiteral("Total")), QStringLiteral("Summe"));
    EXPECT_FALSE(pasted.contains(QStringLiteral("Gesamt")));
    EXPECT_EQ(editor.shopperTextReloads, 1);
    EXPECT_EQ(b->changeBroadcastCount(), before + 1);
    // The same texts again change nothing, so nothing is marked.
    ASSERT_TRUE(ShopClipboard::pasteLocalizableStrings(*b, data.get()));
    EXPECT_EQ(b->changeBroadcastCount(), before + 1);
}
