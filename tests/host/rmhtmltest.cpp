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
    return {.font = TextFont{name, size}};
}
TextAttributes colored(const Color &color, TextAttributes attributes = {})
{
    attributes.color = color;
    return attributes;
}
TextAttributes linked(const QString &link) { return {.link = link}; }
TextAttributes aligned(TextAlignment alignment) { return {.alignment = alignment}; }

struct FragmentCase
{
    const char *name;
    StyledText input;
    QString expected;
};

const QString kLineSeparator = QString(QChar(0x2028));

const FragmentCase kFragmentCases[] = {
    // Text and paragraphs
    {"Empty", StyledText(), ""},
    {"Plain", StyledText("Hello"), "<p>Hello</p>"},
    {"Escaping", StyledText("a&b <c> \"d\" 'e'"), "<p>a&amp;b &lt;c&gt; &quot;d&quot; &#39;e&#39;</p>"},
    {"TwoParagraphs", StyledText("one\ntwo"), "<p>one</p>\n<p>two</p>"},
    {"EmptyParagraphKept", StyledText("one\n\ntwo"), "<p>one</p>\n<p>&nbsp;</p>\n<p>two</p>"},
    {"FinalLineFeedOpensNoParagraph", StyledText("one\n"), "<p>one</p>"},
    {"CarriageReturns", StyledText("a\r\nb\rc"), "<p>a</p>\n<p>b</p>\n<p>c</p>"},
    {"LineSeparatorIsBreak", StyledText("a" + kLineSeparator + "b"), "<p>a<br />b</p>"},
    {"ControlCharactersDropped", StyledText("a\x01\x7f" "b\tc"), "<p>ab\tc</p>"},
    // Font styles
    {"Bold", styled({{"a"}, {"b", font("Helvetica-Bold")}}), "<p>a<strong>b</strong></p>"},
    {"BoldItalic", styled({{"x", font("Helvetica-BoldOblique")}}), "<p><strong><em>x</em></strong></p>"},
    {"NestingSharesOpenTags",
     styled({{"a"}, {"b", font("Times-Bold")}, {"c", font("Times-BoldItalic")},
             {"d", font("Times-Bold")}}),
     "<p>a<strong>b<em>c</em>d</strong></p>"},
    {"Underline", styled({{"u", {.underline = true}}}), "<p><u>u</u></p>"},
    {"SameLookMerged", styled({{"a", font("Helvetica")}, {"b", font("Times-Roman")}}), "<p>ab</p>"},
    {"FontSize", styled({{"big", font("Helvetica", 14)}}), "<p><span style=\"font-size:14px\">big</span></p>"},
    {"FractionalFontSize", styled({{"s", font("Helvetica", 10.5)}}),
     "<p><span style=\"font-size:10.5px\">s</span></p>"},
    {"InvalidFontSizeIgnored", styled({{"s", font("Helvetica", -3)}}), "<p>s</p>"},
    // Colour
    {"Colour", styled({{"r", colored(Color(1, 0, 0))}}), "<p><span style=\"color:#ff0000\">r</span></p>"},
    {"SizeAndColour", styled({{"g", colored(Color(0, 0.5, 0), font("Helvetica", 18))}}),
     "<p><span style=\"font-size:18px;color:#007f00\">g</span></p>"},
    {"OutOfRangeColourClamped", styled({{"c", colored(Color(2, -1, 0.5))}}),
     "<p><span style=\"color:#ff007f\">c</span></p>"},
    {"ColourWithoutRgbForm", styled({{"c", colored(Color::withoutRgbForm())}}), "<p>c</p>"},
    {"ColourChangeKeepsBold",
     styled({{"a", colored(Color(1, 0, 0), font("Arial-BoldMT"))},
             {"b", colored(Color(0, 0, 1), font("Arial-BoldMT"))}}),
     "<p><strong><span style=\"color:#ff0000\">a</span><span style=\"color:#0000ff\">b</span></strong></p>"},
    // Links
    {"HttpLinkEscaped", styled({{"go", linked("http://x.org/?a=1&b=2")}}),
     "<p><a href=\"http://x.org/?a=1&amp;b=2\">go</a></p>"},
    {"MailtoLink", styled({{"m", linked("mailto:me@x.org")}}), "<p><a href=\"mailto:me@x.org\">m</a></p>"},
    {"RelativeLink", styled({{"r", linked("shop/sale/index.html?q=a:b")}}),
     "<p><a href=\"shop/sale/index.html?q=a:b\">r</a></p>"},
    {"AnchorLink", styled({{"t", linked("#top")}}), "<p><a href=\"#top\">t</a></p>"},
    {"QuoteInLinkCannotBreakOut", styled({{"q", linked("http://x/\"onclick=\"a")}}),
     "<p><a href=\"http://x/&quot;onclick=&quot;a\">q</a></p>"},
    {"JavascriptLinkDropped", styled({{"a"}, {"x", linked("javascript:alert(1)")}}), "<p>ax</p>"},
    {"DisguisedJavascriptDropped", styled({{"x", linked(" \tJava\nScript:alert(1)")}}), "<p>x</p>"},
    {"DataLinkDropped", styled({{"x", linked("data:text/html,<b>")}}), "<p>x</p>"},
    {"BlankLinkDropped", styled({{"x", linked("  ")}}), "<p>x</p>"},
    {"LinkAcrossParagraphs", styled({{"a\nb", linked("#n")}}),
     "<p><a href=\"#n\">a</a></p>\n<p><a href=\"#n\">b</a></p>"},
    {"LinkOutsideBold",
     styled({{"x", {.font = TextFont{"Helvetica-Bold", 12.0}, .link = "#b"}}}),
     "<p><a href=\"#b\"><strong>x</strong></a></p>"},
    // Alignment
    {"Centered", styled({{"c", aligned(TextAlignment::Center)}}), "<p style=\"text-align:center\">c</p>"},
    {"LeftAddsNothing", styled({{"l", aligned(TextAlignment::Left)}}), "<p>l</p>"},
    {"AlignmentPerParagraph",
     styled({{"a\n", aligned(TextAlignment::Center)}, {"b", aligned(TextAlignment::Right)},
             {"c"}}),
     "<p style=\"text-align:center\">a</p>\n<p style=\"text-align:right\">bc</p>"},
    {"EmptyParagraphTakesItsLineFeedsAlignment",
     styled({{"a\n"}, {"\n", aligned(TextAlignment::Right)}, {"b"}}),
     "<p>a</p>\n<p style=\"text-align:right\">&nbsp;</p>\n<p>b</p>"},
};

TEST(RMHTML, WritesTheExpectedFragments)
{
    for (const FragmentCase &c : kFragmentCases)
        EXPECT_EQ(RMHTML::htmlFragment(c.input).toStdString(), c.expected.toStdString()) << c.name;
}

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
