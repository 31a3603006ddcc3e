#include "editor/rwstyledtextview.h"

#include "host/rmhtml.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TextAttributes with(std::function<void(TextAttributes &)> set)
{
    TextAttributes attributes;
    set(attributes);
    return attributes;
}

StyledText styled(std::initializer_list<std::pair<QString, TextAttributes>> pieces)
{
    StyledText text;
    for (const auto &[piece, attributes] : pieces)
        text.append(piece, attributes);
    return text;
}

struct RoundTrip
{
    const char *name;
    StyledText text;
};

class StyledTextRoundTrip : public ::testing::TestWithParam<RoundTrip>
{
};

// Each attribute the exporter writes survives the editor's document: the
// same styled text, and so the same HTML.
TEST_P(StyledTextRoundTrip, TheEditorKeepsWhatTheExporterWrites)
{
    const StyledText &text = GetParam().text;
    QTextDocument document;
    RWStyledTextView::fillDocument(document, text);
    const StyledText back = RWStyledTextView::styledText(document);
    EXPECT_EQ(RMHTML::htmlFragment(back), RMHTML::htmlFragment(text));
    EXPECT_TRUE(back == text) << RMHTML::htmlFragment(back).toStdString();
}

const TextAttributes centred = with([](auto &a) { a.alignment = TextAlignment::Center; });

INSTANTIATE_TEST_SUITE_P(
    Attributes, StyledTextRoundTrip,
    ::testing::Values(
        RoundTrip{"bold", styled({{"a ", {}}, {"bold", with([](auto &a) { a.font = TextFont{"Georgia-Bold", 12}; })}})},
        RoundTrip{"italic", styled({{"oblique", with([](auto &a) { a.font = TextFont{"Helvetica-Oblique", 12}; })}})},
        RoundTrip{"size", styled({{"big", with([](auto &a) { a.font = TextFont{"Helvetica", 18.5}; })}})},
        RoundTrip{"underline", styled({{"under", with([](auto &a) { a.underline = true; })}})},
        RoundTrip{"colour", styled({{"blue", with([](auto &a) { a.color = Color(0.1, 0.3, 0.7); })}})},
        RoundTrip{"colourWithoutRgb", styled({{"pattern", with([](auto &a) { a.color = Color::withoutRgbForm(); })}})},
        RoundTrip{"link", styled({{"shop", with([](auto &a) { a.link = QStringLiteral("https://example.com/"); })},
                                  {" and more", {}}})},
        RoundTrip{"alignment", styled({{"left\n", {}},
                                       {"centre\n", centred},
                                       {"right", with([](auto &a) { a.alignment = TextAlignment::Right; })}})},
        RoundTrip{"emptyCentredParagraph", styled({{"a\n", {}}, {"\n", centred}, {"b", {}}})},
        RoundTrip{"lineBreak", styled({{QStringLiteral("one\u2028two\njustified"),
                                        with([](auto &a) { a.alignment = TextAlignment::Justified; })}})}),
    [](const auto &info) { return std::string(info.param.name); });

// Formats applied with the format bar come out as the exporter's markup.
TEST(RWStyledTextViewTest, TheFormatBarWritesWhatThePageShows)
{
    RWStyledTextView view;
    view.setColorChooser([](const QColor &) { return std::optional<QColor>(QColor(255, 0, 0)); });
    view.setLinkChooser([](const QString &) { return std::optional<QString>(QStringLiteral("https://shop.example/")); });
    int finished = 0;
    QObject::connect(&view, &RWStyledTextView::editingFinished, [&finished] { ++finished; });

    QTest::keyClicks(view.textView(), QStringLiteral("Hello world"));
    QTextCursor cursor = view.textView()->textCursor();
    cursor.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
    view.textView()->setTextCursor(cursor);
    for (const char *button : {"boldButton", "colorButton", "linkButton", "alignCenterButton"})
        view.findChild<QToolButton *>(QLatin1String(button))->click();

    EXPECT_TRUE(view.isModified());
    EXPECT_EQ(RMHTML::htmlFragment(view.attributedString()),
              QStringLiteral("<p style=\"text-align:center\">Hello <a href=\"https://shop.example/\"><strong>"
                             "<span style=\"color:#ff0000\">world</span></strong></a></p>"));
    EXPECT_EQ(finished, 4) << "each format applied ends an edit: one undoable step each";
}

// Pasted rich text brings only what the page can show.
TEST(RWStyledTextViewTest, PastedRichTextKeepsOnlyStyledText)
{
    RWStyledTextView view;
    auto *data = new QMimeData;
    data->setHtml(QStringLiteral("<p>A<img src=\"x.png\"><b>B</b></p><table><tr><td>C</td></tr></table>"));
    QApplication::clipboard()->setMimeData(data);
    view.textView()->paste();
    EXPECT_FALSE(view.textView()->toPlainText().contains(QChar::ObjectReplacementCharacter));
    EXPECT_EQ(RMHTML::htmlFragment(view.attributedString()), QStringLiteral("<p>A<strong>B</strong></p>\n<p>C</p>"));
}

} // namespace
