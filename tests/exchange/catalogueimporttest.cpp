#include "exchange/exchangetestsupport.h"

#include "exchange/catalogueimport.h"
#include "exchange/cataloguecsv.h"
#include "exchange/csvreader.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

using namespace exchangetest;

namespace {

struct ReadCase
{
    const char *name;
    QByteArray text;
    QList<QStringList> records; // empty with an error
    const char *error;
};

QStringList fields(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *field : list)
        result << QString::fromUtf8(field);
    return result;
}

} // namespace

// Quoted and bare fields, doubled quotes, line breaks inside quotes, a byte
// order mark, CRLF and empty lines; damage is named with its line.
TEST(CsvReader, SplitsRecords)
{
    const ReadCase cases[] = {
        ReadCase{"QuotedAndBare", "a,\"b\",,\"\"\n", {fields({"a", "b", "", ""})}, ""},
        ReadCase{"DoubledQuotesCommasLineBreaks", "\"say \"\"hi\"\"\",\"x,y\",\"1\n2\r\n3\"\n",
                 {fields({"say \"hi\"", "x,y", "1\n2\r\n3"})}, ""},
        ReadCase{"BomCrlfAndEmptyLines", "\xEF\xBB\xBF" "a,b\r\n\r\n\"c\",d\r\ne,\r\n",
                 {fields({"a", "b"}), fields({"c", "d"}), fields({"e", ""})}, ""},
        ReadCase{"NoFinalLineEnd", "a\n\"b\"", {fields({"a"}), fields({"b"})}, ""},
        ReadCase{"UnclosedQuoteNamesItsLine", "a\n\"b\nc", {}, "line 2: a quoted field is not closed"},
        ReadCase{"TextAfterClosingQuote", "a\n\"x\n\"y,z\n", {}, "line 3: text follows a closing quote"},
        ReadCase{"QuoteInBareField", "ab\"c\n", {}, "line 1: a quote inside a field that is not quoted"},
        ReadCase{"NotUtf8", "\xff\xfe\n", {}, "the text is not UTF-8"},
    };
    for (const ReadCase &c : cases) {
        QList<CsvReader::Record> records;
        QString error;
        const bool ok = CsvReader::read(c.text, &records, &error);
        EXPECT_EQ(error.toStdString(), std::string(c.error)) << c.name;
        EXPECT_EQ(ok, error.isEmpty()) << c.name;
        QList<QStringList> got;
        for (const auto &record : records)
            got << record.fields;
        if (ok) {
            EXPECT_EQ(got, c.records) << c.name;
        }
    }
}

namespace {

// One page of varied products; the catalogue text made from it is what the
// author edits.
class CatalogueImportTest : public RegistryTest
{
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        page = std::make_shared<TillboxPlugin>();
        page->globalSettings()->setDefaultTaxRate(19);
        auto a = product(QStringLiteral("A"), QStringLiteral("Mug \"XL\", blue"));
        a->setPrice(1.0000001f); // prints as "1": must survive a round trip
        a->setStyledProductDescription(StyledText(QStringLiteral("two\nlines")));
        a->optionsArray() << option(TillboxOption::ValueListTag, QStringLiteral("Size"),
                                    {{QStringLiteral("S [small] | x"), 0.1234567f, 0}, {QStringLiteral("L"), 2, 0.5f}})
                          << option(TillboxOption::OneLineTextTag, QStringLiteral("Engraving"));
        auto b = product(QStringLiteral("B"));
        b->setUseHtmlDescription(true);
        b->setHtmlProductDescription(QStringLiteral("<p>b</p>"));
        b->setStatus(TillboxProduct::StatusHidden);
        b->setPurchaseLimit(4);
        page->setProducts({a, b, product(QStringLiteral(""), QStringLiteral("no SKU"))});
        text = CatalogueCsv::allProductsCSV().toUtf8();
    }
    void TearDown() override
    {
        page.reset();
        RegistryTest::TearDown();
    }
    bool import(const QByteArray &bytes)
    {
        error.clear();
        return CatalogueImport::importCSV(bytes, {page.get()}, *page, &result, &error);
    }

    std::shared_ptr<TillboxPlugin> page;
    QByteArray text;
    CatalogueImport::Result result;
    QString error;
};

} // namespace

TEST_F(CatalogueImportTest, ReadingBackTheSameTextChangesNothing)
{
    const QByteArray stored = page->archivedData();
    const int before = page->changeBroadcastCount();
    QByteArray crlf = "\xEF\xBB\xBF" + text;
    crlf.replace("\"\n", "\"\r\n"); // line ends only: line breaks inside fields stay
    for (const QByteArray &variant : {text, crlf}) {
        ASSERT_TRUE(import(variant)) << qPrintable(error);
        EXPECT_EQ(result.added + result.updated, 0);
        EXPECT_EQ(result.warnings, QStringList{QStringLiteral("line 2: no SKU; row skipped")});
    }
    EXPECT_EQ(page->changeBroadcastCount(), before);
    EXPECT_EQ(page->archivedData(), stored);
    EXPECT_TRUE(import(QByteArray())) << "the text of an empty catalogue";
}

TEST_F(CatalogueImportTest, EditedColumnsUpdateInPlaceAndNewSkusAppend)
{
    const auto a = page->products()[0];
    const auto sizeOption = a->optionsArray()[0];
    QByteArray edited = text;
    edited.replace("\"B\",\"0\",\"P\",\"\",\"<p>b</p>\",\"P\",\"0\",\"1\",\"4\"",
                   "\"B\",\"1\",\"Bee\",\"plain now\",\"\",\"P\",\"2.5\",\"0\",\"6\"");
    edited.replace(",\"text\",\"Engraving\",\"\"", ",\"select\",\"Colour\",\"[Red][1][0]|[Blue][0.5][0.25]\"");
    edited += "\"N\",\"1\",\"New one\",\"\",\"<b>new</b>\",\"New one\",\"3\",\"1\",\"0\",\"0.5\",\"\",\"\",\"\",\"\",\"\",\"\"\n";
    const int before = page->changeBroadcastCount();
    ASSERT_TRUE(import(edited)) << qPrintable(error);
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(page->changeBroadcastCount(), before + 1);

    const auto b = page->products()[1];
    EXPECT_EQ(b->name(), QStringLiteral("Bee"));
    EXPECT_FALSE(b->useHtmlDescription());
    EXPECT_EQ(b->styledProductDescription()->text(), QStringLiteral("plain now"));
    EXPECT_EQ(b->price(), 2.5f);
    EXPECT_EQ(b->status(), TillboxProduct::StatusOutOfStock);
    EXPECT_EQ(b->purchaseLimit(), 6);
    // The unchanged option slot keeps its object; the changed one is new.
    ASSERT_EQ(a->optionsArray().size(), 2);
    EXPECT_EQ(a->optionsArray()[0], sizeOption);
    EXPECT_EQ(a->optionsArray()[1]->optionTypeTag(), TillboxOption::ValueListTag);
    ASSERT_EQ(a->optionsArray()[1]->optionValuesArray().size(), 2);
    EXPECT_EQ(a->optionsArray()[1]->optionValuesArray()[1]->optionValueWeight(), 0.25f);
    EXPECT_EQ(a->price(), 1.0000001f);

    ASSERT_EQ(page->products().size(), 4);
    const auto added = page->products()[3];
    EXPECT_EQ(added->SKU(), QStringLiteral("N"));
    EXPECT_TRUE(added->useHtmlDescription());
    EXPECT_EQ(added->htmlProductDescription(), QStringLiteral("<b>new</b>"));
    EXPECT_EQ(added->weight(), 0.5f);
    EXPECT_EQ(added->taxRate(), 19.0f);
    // The option value names keep their brackets and bars.
    EXPECT_EQ(sizeOption->optionValuesArray()[0]->optionValueName(), QStringLiteral("S [small] | x"));
}

TEST_F(CatalogueImportTest, AMalformedRowChangesNothingAndNamesItsLine)
{
    const QByteArray stored = page->archivedData();
    const QByteArray row = "\"N\",\"1\",\"n\",\"\",\"\",\"n\",\"3\",\"1\",\"0\",\"0\",\"\",\"\",\"\",\"\",\"\",\"\"\n";
    // Line 2 is the product without SKU; A's description spans lines 3 and 4; B is line 5.
    const struct
    {
        QByteArray edited;
        const char *error;
    } cases[] = {
        {text + row.left(row.size() - 4) + "\n", "line 6: 15 fields where the header has 16"},
        {text + QByteArray(row).replace("\"3\"", "\"3,5\""), "line 6: versionPrice \"3,5\" is not a number"},
        {text + QByteArray(row).replace("\"n\",\"3\",\"1\"", "\"n\",\"3\",\"yes\""),
         "line 6: versionAvailable must be 0 or 1, not \"yes\""},
        {text + QByteArray(row).replace("\"\",\"\",\"\"\n", "\"list\",\"x\",\"\"\n"),
         "line 6: option type \"list\" is not select, textarea or text"},
        {text + QByteArray(row).replace("\"\",\"\",\"\"\n", "\"select\",\"x\",\"[a][1]\"\n"),
         "line 6: option values must read [name][price][weight]|..."},
        {text + QByteArray(row).replace("\"n\",\"\",\"\",\"n\"", "\"n\",\"md\",\"<p>h</p>\",\"n\""),
         "line 6: a product has either a plain or an HTML description, not both"},
        {text + QByteArray(row).replace("\"N\"", "\"A\""), "line 6: SKU \"A\" was already given on line 3"},
        {"SKU,Name\n" + row, "line 1: not the header of a catalogue text"},
    };
    for (const auto &c : cases) {
        EXPECT_FALSE(import(c.edited)) << c.error;
        EXPECT_EQ(error.toStdString(), std::string(c.error));
        EXPECT_EQ(page->products().size(), 3);
        EXPECT_EQ(page->archivedData(), stored);
    }
}
