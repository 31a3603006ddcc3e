#include "host/exportparameters.h"
#include "host/rmhtml.h"
#include "util/styledtext.h"

#include <gtest/gtest.h>

namespace {

struct Piece
{
    QString text;
    TextAttributes attributes = {};
};

StyledText styled(std::initializer_list<Piece> pieces)
{
    StyledText text;
    for (const Piece &piece : pieces)
        text.append(piece.text, piece.attributes);
    return text;
}

TextAttributes font(const QString &name, double size = 12.0)
{
    TextAttributes attributes;
    attributes.font = TextFont{name, size};
    return attributes;
}

TextAttributes colored(const Color &color, TextAttributes attributes = {})
{
    attributes.color = color;
    return attributes;
}

TextAttributes linked(const QString &link)
{
    TextAttributes attributes;
    attributes.link = link;
    return attributes;
}

TextAttributes aligned(TextAlignment alignment)
{
    TextAttributes attributes;
    attributes.alignment = alignment;
    return attributes;
}

TextAttributes underlined()
{
    TextAttributes attributes;
    attributes.underline = true;
    return attributes;
}

struct FragmentCase
{
    const char *name;
    StyledText input;
    QString expected;
};

void PrintTo(const FragmentCase &c, std::ostream *os) { *os << c.name; }

class RMHTMLFragment : public ::testing::TestWithParam<FragmentCase> {};

TEST_P(RMHTMLFragment, WritesExpectedHTML)
{
    EXPECT_EQ(RMHTML::htmlFragment(GetParam().input).toStdString(),
              GetParam().expected.toStdString());
}

const QString kLineSeparator = QString(QChar(0x2028));

INSTANTIATE_TEST_SUITE_P(
    Cases, RMHTMLFragment,
    ::testing::Values(
        // Text and paragraphs
        FragmentCase{"Empty", StyledText(), QStringLiteral("")},
        FragmentCase{"Plain", StyledText(QStringLiteral("Hello")), QStringLiteral("<p>Hello</p>")},
        FragmentCase{"Escaping", StyledText(QStringLiteral("a&b <c> \"d\" 'e'")),
                     QStringLiteral("<p>a&amp;b &lt;c&gt; &quot;d&quot; &#39;e&#39;</p>")},
        FragmentCase{"TwoParagraphs", StyledText(QStringLiteral("one\ntwo")),
                     QStringLiteral("<p>one</p>\n<p>two</p>")},
        FragmentCase{"EmptyParagraphKept", StyledText(QStringLiteral("one\n\ntwo")),
                     QStringLiteral("<p>one</p>\n<p>&nbsp;</p>\n<p>two</p>")},
        FragmentCase{"FinalLineFeedOpensNoParagraph", StyledText(QStringLiteral("one\n")),
                     QStringLiteral("<p>one</p>")},
        FragmentCase{"CarriageReturns", StyledText(QStringLiteral("a\r\nb\rc")),
                     QStringLiteral("<p>a</p>\n<p>b</p>\n<p>c</p>")},
        FragmentCase{"LineSeparatorIsBreak", StyledText(QStringLiteral("a") + kLineSeparator + "b"),
                     QStringLiteral("<p>a<br />b</p>")},
        FragmentCase{"ControlCharactersDropped", StyledText(QStringLiteral("a\x01\x7f" "b\tc")),
                     QStringLiteral("<p>ab\tc</p>")},
        // Font styles
        FragmentCase{"Bold", styled({{"a"}, {"b", font("Helvetica-Bold")}}),
                     QStringLiteral("<p>a<strong>b</strong></p>")},
        FragmentCase{"BoldItalic", styled({{"x", font("Helvetica-BoldOblique")}}),
                     QStringLiteral("<p><strong><em>x</em></strong></p>")},
        FragmentCase{"NestingSharesOpenTags",
                     styled({{"a"}, {"b", font("Times-Bold")}, {"c", font("Times-BoldItalic")},
                             {"d", font("Times-Bold")}}),
                     QStringLiteral("<p>a<strong>b<em>c</em>d</strong></p>")},
        FragmentCase{"Underline", styled({{"u", underlined()}}), QStringLiteral("<p><u>u</u></p>")},
        FragmentCase{"SameLookMerged", styled({{"a", font("Helvetica")}, {"b", font("Times-Roman")}}),
                     QStringLiteral("<p>ab</p>")},
        FragmentCase{"FontSize", styled({{"big", font("Helvetica", 14)}}),
                     QStringLiteral("<p><span style=\"font-size:14px\">big</span></p>")},
        FragmentCase{"FractionalFontSize", styled({{"s", font("Helvetica", 10.5)}}),
                     QStringLiteral("<p><span style=\"font-size:10.5px\">s</span></p>")},
        FragmentCase{"InvalidFontSizeIgnored", styled({{"s", font("Helvetica", -3)}}),
                     QStringLiteral("<p>s</p>")},
        // Colour
        FragmentCase{"Colour", styled({{"r", colored(Color(1, 0, 0))}}),
                     QStringLiteral("<p><span style=\"color:#ff0000\">r</span></p>")},
        FragmentCase{"SizeAndColour", styled({{"g", colored(Color(0, 0.5, 0), font("Helvetica", 18))}}),
                     QStringLiteral("<p><span style=\"font-size:18px;color:#007f00\">g</span></p>")},
        FragmentCase{"OutOfRangeColourClamped", styled({{"c", colored(Color(2, -1, 0.5))}}),
                     QStringLiteral("<p><span style=\"color:#ff007f\">c</span></p>")},
        FragmentCase{"ColourWithoutRgbForm", styled({{"c", colored(Color::withoutRgbForm())}}),
                     QStringLiteral("<p>c</p>")},
        FragmentCase{"ColourChangeKeepsBold",
                     styled({{"a", colored(Color(1, 0, 0), font("Arial-BoldMT"))},
                             {"b", colored(Color(0, 0, 1), font("Arial-BoldMT"))}}),
                     QStringLiteral("<p><strong><span style=\"color:#ff0000\">a</span>"
                                    "<span style=\"color:#0000ff\">b</span></strong></p>")},
        // Links
        FragmentCase{"HttpLinkEscaped", styled({{"go", linked("http://x.org/?a=1&b=2")}}),
                     QStringLiteral("<p><a href=\"http://x.org/?a=1&amp;b=2\">go</a></p>")},
        FragmentCase{"MailtoLink", styled({{"m", linked("mailto:me@x.org")}}),
                     QStringLiteral("<p><a href=\"mailto:me@x.org\">m</a></p>")},
        FragmentCase{"RelativeLink", styled({{"r", linked("shop/sale/index.html?q=a:b")}}),
                     QStringLiteral("<p><a href=\"shop/sale/index.html?q=a:b\">r</a></p>")},
        FragmentCase{"AnchorLink", styled({{"t", linked("#top")}}),
                     QStringLiteral("<p><a href=\"#top\">t</a></p>")},
        FragmentCase{"QuoteInLinkCannotBreakOut", styled({{"q", linked("http://x/\"onclick=\"a")}}),
                     QStringLiteral("<p><a href=\"http://x/&quot;onclick=&quot;a\">q</a></p>")},
        FragmentCase{"JavascriptLinkDropped", styled({{"a"}, {"x", linked("javascript:alert(1)")}}),
                     QStringLiteral("<p>ax</p>")},
        FragmentCase{"DisguisedJavascriptDropped",
                     styled({{"x", linked(" \tJava\nScript:alert(1)")}}), QStringLiteral("<p>x</p>")},
        FragmentCase{"DataLinkDropped", styled({{"x", linked("data:text/html,<b>")}}),
                     QStringLiteral("<p>x</p>")},
        FragmentCase{"BlankLinkDropped", styled({{"x", linked("  ")}}), QStringLiteral("<p>x</p>")},
        FragmentCase{"LinkAcrossParagraphs", styled({{"a\nb", linked("#n")}}),
                     QStringLiteral("<p><a href=\"#n\">a</a></p>\n<p><a href=\"#n\">b</a></p>")},
        FragmentCase{"LinkOutsideBold",
                     styled({{"x", [] { auto a = font("Helvetica-Bold"); a.link = "#b"; return a; }()}}),
                     QStringLiteral("<p><a href=\"#b\"><strong>x</strong></a></p>")},
        // Alignment
        FragmentCase{"Centered", styled({{"c", aligned(TextAlignment::Center)}}),
                     QStringLiteral("<p style=\"text-align:center\">c</p>")},
        FragmentCase{"LeftAddsNothing", styled({{"l", aligned(TextAlignment::Left)}}),
                     QStringLiteral("<p>l</p>")},
        FragmentCase{"AlignmentPerParagraph",
                     styled({{"a\n", aligned(TextAlignment::Center)}, {"b", aligned(TextAlignment::Right)},
                             {"c"}}),
                     QStringLiteral("<p style=\"text-align:center\">a</p>\n<p style=\"text-align:right\">bc</p>")},
        FragmentCase{"EmptyParagraphTakesItsLineFeedsAlignment",
                     styled({{"a\n"}, {"\n", aligned(TextAlignment::Right)}, {"b"}}),
                     QStringLiteral("<p>a</p>\n<p style=\"text-align:right\">&nbsp;</p>\n<p>b</p>")}),
    [](const ::testing::TestParamInfo<FragmentCase> &info) { return std::string(info.param.name); });

TEST(RMHTML, PutsFragmentInPlaceOfTheNamedPlaceholder)
{
    const auto exporter = RMHTML::HTMLExporterWithParameterDictionary(
        ExportParameters::forPage("preview", "/out", "files", "", "/site"));
    ASSERT_TRUE(exporter);
    EXPECT_EQ(exporter->parameters().mode(), QStringLiteral("preview"));

    const StyledText text(QStringLiteral("Hi"));
    EXPECT_EQ(exporter->exportAttributedString(text, "/out/files", "/out/files", "", "%content%",
                                               "content", nullptr),
              QStringLiteral("<p>Hi</p>"));
    EXPECT_EQ(exporter->exportAttributedString(text, {}, {}, {}, "<div>%body%</div>%content%",
                                               "body", nullptr),
              QStringLiteral("<div><p>Hi</p></div>%content%"));
    // A placeholder typed into the text is not replaced again; no text gives
    // an empty, not a null, string.
    EXPECT_EQ(exporter->exportAttributedString(StyledText(QStringLiteral("%content%")), {}, {}, {}, "[%content%]",
                                               "content", nullptr),
              QStringLiteral("[<p>%content%</p>]"));
    const QString empty = exporter->exportAttributedString(StyledText(), {}, {}, {}, "%content%", "content", nullptr);
    EXPECT_TRUE(empty.isEmpty() && !empty.isNull());
}

TEST(ExportParameters, TypedAccessorsReadTheKeys)
{
    ExportParameters parameters =
        ExportParameters::forPage("publish", "/Sites/out/shop", "files", "shop", "/Users/me/Site");
    EXPECT_EQ(parameters.value("location"), QStringLiteral("shop"));
    EXPECT_EQ(parameters.value("base"), QStringLiteral("/Users/me/Site"));
    EXPECT_FALSE(parameters.isPreview());
    EXPECT_EQ(parameters.filesFolderPath(), QStringLiteral("/Sites/out/shop/files"));

    parameters.insert("mode", "preview");
    EXPECT_TRUE(parameters.isPreview());
    EXPECT_TRUE(ExportParameters().value("mode").isNull());
    EXPECT_TRUE(ExportParameters().base().isNull());
}

} // namespace
