#include "exchange/exchangetestsupport.h"

#include "exchange/cataloguecsv.h"

#include <functional>

using namespace exchangetest;

namespace {

const QString kHeader = QStringLiteral("versionSKU,productExportEnabled,productName,productLongDescriptionMarkdown,"
                                       "productLongDescriptionHTML,versionName,versionPrice,versionAvailable,"
                                       "versionQuantity,versionWeight");
const QString kNoOption = QStringLiteral(",\"\",\"\",\"\"");

struct CsvCase
{
    const char *name;
    // Registers the products; they stay alive in the registry.
    std::function<void()> makeProducts;
    QString expected;
};

} // namespace

// Registers the products of each case in a fresh registry; they stay alive
// in it until the next case.
TEST(CatalogueCsv, WritesTheCatalogueText)
{
    const CsvCase cases[] = {
        CsvCase{"NoProductsNoHeader", [] {}, QStringLiteral("")},
        CsvCase{"QuotesDoubledCommasAndLineBreaksKept",
                [] {
                    auto p = product(QStringLiteral("A\"1"), QStringLiteral("Mug \"XL\", blue"));
                    p->setStyledProductDescription(StyledText(QStringLiteral("Line one\nline \"two\"")));
                    p->setPurchaseLimit(3);
                },
                kHeader + QStringLiteral("\n\"A\"\"1\",\"1\",\"Mug \"\"XL\"\", blue\",\"Line one\nline \"\"two\"\"\","
                                         "\"\",\"Mug \"\"XL\"\", blue\",\"0\",\"1\",\"3\",\"0\"\n")},
        CsvCase{"FloatsAsSevenSignificantDigits",
                [] {
                    product(QStringLiteral("a"))->setPrice(12.5f);
                    product(QStringLiteral("b"))->setPrice(1234567.8f);
                    auto c = product(QStringLiteral("c"));
                    c->setPrice(12345678.0f);
                    c->setWeight(0.00001f);
                    auto d = product(QStringLiteral("d"));
                    d->setPrice(10.0f);
                    d->setWeight(0.1f);
                },
                kHeader + QStringLiteral("\n\"a\",\"1\",\"P\",\"\",\"\",\"P\",\"12.5\",\"1\",\"0\",\"0\"\n"
                                         "\"b\",\"1\",\"P\",\"\",\"\",\"P\",\"1234568\",\"1\",\"0\",\"0\"\n"
                                         "\"c\",\"1\",\"P\",\"\",\"\",\"P\",\"1.234568e+07\",\"1\",\"0\",\"1e-05\"\n"
                                         "\"d\",\"1\",\"P\",\"\",\"\",\"P\",\"10\",\"1\",\"0\",\"0.1\"\n")},
        CsvCase{"StatusesAndSkuOrderWithoutCase",
                [] {
                    product(QStringLiteral("b"))->setStatus(TillboxProduct::StatusOutOfStock);
                    product(QStringLiteral("A"))->setStatus(TillboxProduct::StatusHidden);
                    product(QStringLiteral("c"));
                },
                kHeader + QStringLiteral("\n\"A\",\"0\",\"P\",\"\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\"\n"
                                         "\"b\",\"1\",\"P\",\"\",\"\",\"P\",\"0\",\"0\",\"0\",\"0\"\n"
                                         "\"c\",\"1\",\"P\",\"\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\"\n")},
        CsvCase{"HtmlOrPlainDescriptionNeverBoth",
                [] {
                    auto html = product(QStringLiteral("h"));
                    html->setStyledProductDescription(StyledText(QStringLiteral("styled")));
                    html->setHtmlProductDescription(QStringLiteral("<p>html</p>"));
                    html->setUseHtmlDescription(true);
                    auto plain = product(QStringLiteral("p"));
                    plain->setStyledProductDescription(StyledText(QStringLiteral("styled")));
                    plain->setHtmlProductDescription(QStringLiteral("<p>html</p>"));
                    // Absent texts (archives without the keys) are written empty.
                    auto absent = product(QStringLiteral("q"));
                    absent->setStyledProductDescription(std::nullopt);
                    absent->setName(QString());
                },
                kHeader + QStringLiteral("\n\"h\",\"1\",\"P\",\"\",\"<p>html</p>\",\"P\",\"0\",\"1\",\"0\",\"0\"\n"
                                         "\"p\",\"1\",\"P\",\"styled\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\"\n"
                                         "\"q\",\"1\",\"\",\"\",\"\",\"\",\"0\",\"1\",\"0\",\"0\"\n")},
        CsvCase{"OneOption",
                [] {
                    product(QStringLiteral("o"))->optionsArray()
                        << option(TillboxOption::ValueListTag, QStringLiteral("Colour"),
                                  {{QStringLiteral("Red"), 0.0f, 0.0f}, {QStringLiteral("Blue"), 1.5f, 0.1f}});
                },
                kHeader + QStringLiteral(",optionType,optionName,optionValues\n"
                                         "\"o\",\"1\",\"P\",\"\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\",\"select\",\"Colour\","
                                         "\"[Red][0.000000][0.000000]|[Blue][1.500000][0.100000]\"\n")},
        CsvCase{"ZeroAndThreeOptionsTagsAndOddValueNames",
                [] {
                    product(QStringLiteral("none"));
                    product(QStringLiteral("three"))->optionsArray()
                        << option(TillboxOption::MultiLineTextTag, QStringLiteral("Note"),
                                  {{QStringLiteral("still [here] | \"x\""), -2.0f, 0.0f}})
                        << option(TillboxOption::OneLineTextTag, QStringLiteral("Engraving"))
                        << option(99, QStringLiteral("Odd"));
                },
                kHeader + QStringLiteral(",optionType,optionName,optionValues,optionType1,optionName1,optionValues1,"
                                         "optionType2,optionName2,optionValues2\n"
                                         "\"none\",\"1\",\"P\",\"\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\"")
                    + kNoOption + kNoOption + kNoOption
                    + QStringLiteral("\n\"three\",\"1\",\"P\",\"\",\"\",\"P\",\"0\",\"1\",\"0\",\"0\",\"textarea\","
                                     "\"Note\",\"[still [here] | \"\"x\"\"][-2.000000][0.000000]\",\"text\","
                                     "\"Engraving\",\"\",\"\",\"Odd\",\"\"\n")},
    };
    for (const CsvCase &c : cases) {
        ProductRegistry::resetForTesting();
        ProductRegistry::ensureAllProductsTable();
        c.makeProducts();
        EXPECT_EQ(CatalogueCsv::allProductsCSV().toStdString(), c.expected.toStdString()) << c.name;
    }
}
