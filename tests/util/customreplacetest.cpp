#include "util/customreplace.h"

#include <gtest/gtest.h>

namespace {

struct ReplaceCase
{
    const char *name;
    QString text;
    QString target;
    QString replacement; // null: absent
    int mode;
    QString expected;
};

void PrintTo(const ReplaceCase &c, std::ostream *os) { *os << c.name; }

const QString kNull;

const ReplaceCase kReplaceCases[] = {
    {"plain", "<p>%NAME%</p>", "%NAME%", "Shirt", 0, "<p>Shirt</p>"},
    {"everyOccurrence", "%A%-%A%-%A%", "%A%", "x", 0, "x-x-x"},
    {"absentReplacementRemoves", "a%X%b%X%", "%X%", kNull, 0, "ab"},
    {"emptyReplacementRemoves", "a%X%b", "%X%", "", 2, "ab"},
    {"insertedTextNotRescanned", "%A%", "%A%", "%A%%A%", 0, "%A%%A%"},
    {"nonOverlapping", "aaa", "aa", "X", 0, "Xa"},
    {"caseSensitive", "%name% %NAME%", "%NAME%", "x", 0, "%name% x"},
    {"emptyTargetLeavesText", "abc", "", "X", 0, "abc"},
    {"targetNotEscaped", "<b>%T'%</b>", "%T'%", "'", 2, "<b>&#39;</b>"},
    {"plainCrLf", "%V%", "%V%", "a\r\nb\rc\n\rd", 0, "a\nb\nc\n\nd"},
    {"plainKeepsQuotes", "%V%", "%V%", "\"it's\" \\ </script>", 0, "\"it's\" \\ </script>"},
    {"otherModeIsPlain", "%V%", "%V%", "\"x\"\r\n", 3, "\"x\"\n"},
    {"scriptCrLfOnePair", "\"%V%\"", "%V%", "a\r\nb", 1, "\"a\\nb\""},
    {"scriptLoneCrOnePair", "\"%V%\"", "%V%", "a\rb", 1, "\"a\\nb\""},
    {"scriptQuote", "%V%", "%V%", "say \"hi\"", 1, "say \\\"hi\\\""},
    {"scriptBackslash", "%V%", "%V%", "C:\\dir", 1, "C:\\\\dir"},
    {"scriptBackslashBeforeQuote", "%V%", "%V%", "a\\\"b", 1, "a\\\\\\\"b"},
    {"scriptSingleQuoteKept", "%V%", "%V%", "it's", 1, "it's"},
    {"scriptEndTag", "%V%", "%V%", "</script><script>alert(1)</SCRIPT>", 1, "<\\/script><script>alert(1)<\\/SCRIPT>"},
    {"scriptCommentOpen", "%V%", "%V%", "<!--<script>", 1, "<\\!--<script>"},
    {"scriptLineSeparators", "%V%", "%V%", QString(QChar(0x2028)) + QChar(0x2029), 1, "\\u2028\\u2029"},
    {"htmlQuote", "%V%", "%V%", "5\" screen", 2, "5&quot; screen"},
    {"htmlQuoteThenBreak", "%V%", "%V%", "\"\r\n", 2, "&quot;<br />"},
    {"htmlApostrophe", "%V%", "%V%", "Tom's", 2, "Tom&#39;s"},
    {"htmlLeavesAmpersandAndTags", "%V%", "%V%", "a &amp; b <i>c</i> & d", 2,
     "a &amp; b <i>c</i> & d"},
};

class CustomReplaceTable : public testing::TestWithParam<ReplaceCase> {};

TEST_P(CustomReplaceTable, ReplacesAndEscapes)
{
    const ReplaceCase &c = GetParam();
    EXPECT_EQ(CustomReplace::stringByCustomReplacingOccurrencesOfString(c.text, c.target,
                                                                        c.replacement, c.mode),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CustomReplaceTable, testing::ValuesIn(kReplaceCases),
                         [](const testing::TestParamInfo<ReplaceCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(CustomReplace, OverloadsAgree)
{
    const QString text = QStringLiteral("\"%V%\"");
    const QString value = QStringLiteral("a\"b\r\nc");
    EXPECT_EQ(CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value),
              CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value,
                                                                        EscapeMode::Plain));
    EXPECT_EQ(CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value,
                                                                        EscapeMode::Script),
              CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value, 1));
    EXPECT_EQ(CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value,
                                                                        EscapeMode::Html),
              CustomReplace::stringByCustomReplacingOccurrencesOfString(text, "%V%", value, 2));
}

// Reads a double-quoted script string body back the way a script engine does
// for the escapes the script mode writes.
QString unescapeScriptString(const QString &body, bool *ok)
{
    QString out;
    *ok = true;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            *ok = false; // would end the literal
            return out;
        }
        if (c != QLatin1Char('\\')) {
            out += c;
            continue;
        }
        if (++i >= body.size()) {
            *ok = false;
            return out;
        }
        const QChar e = body[i];
        if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('u')) {
            out += QChar(body.mid(i + 1, 4).toUShort(nullptr, 16));
            i += 4;
        } else
            out += e; // \\ \" \/ \! read as the character itself
    }
    return out;
}

// PHP's reading of a single-quoted literal body: only \\ and \' are escapes.
QString unescapePhpSingleQuoted(const QString &body, bool *ok)
{
    QString out;
    *ok = true;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == QLatin1Char('\'')) {
            *ok = false;
            return out;
        }
        if (c == QLatin1Char('\\') && i + 1 < body.size()
            && (body[i + 1] == QLatin1Char('\\') || body[i + 1] == QLatin1Char('\''))) {
            out += body[++i];
            continue;
        }
        out += c;
    }
    return out;
}

const QString kHostileValues[] = {
    QStringLiteral("plain"),
    QStringLiteral("back\\slash"),
    QStringLiteral("trailing\\"),
    QStringLiteral("\\\""),
    QStringLiteral("\\n is not a line break"),
    QStringLiteral("quote \" and ' both"),
    QStringLiteral("</script><script>alert(document.cookie)</script>"),
    QStringLiteral("<!-- <script> -->"),
    QStringLiteral("line\r\nbreaks\rand\nmore"),
    QStringLiteral("$var {$x} ${y} \\$"),
    QString::fromUtf8("Größe \u2028 Ende"),
};

TEST(CustomReplace, ScriptModeValueReadsBackUnchanged)
{
    for (const QString &value : kHostileValues) {
        SCOPED_TRACE(value.toStdString());
        const QString body = CustomReplace::escaped(value, EscapeMode::Script);
        EXPECT_FALSE(body.contains(QStringLiteral("</")));
        EXPECT_FALSE(body.contains(QStringLiteral("<!--")));
        bool ok = false;
        const QString read = unescapeScriptString(body, &ok);
        ASSERT_TRUE(ok) << body.toStdString();
        QString normalised = value;
        normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
        EXPECT_EQ(read, normalised);
    }
}

TEST(CustomReplace, PhpSingleQuotedReadsBackUnchanged)
{
    for (const QString &value : kHostileValues) {
        SCOPED_TRACE(value.toStdString());
        bool ok = false;
        EXPECT_EQ(unescapePhpSingleQuoted(CustomReplace::phpSingleQuoted(value), &ok), value);
        EXPECT_TRUE(ok);
    }
    EXPECT_EQ(CustomReplace::phpSingleQuoted(QStringLiteral("O'Brien")), QStringLiteral("O\\'Brien"));
    EXPECT_EQ(CustomReplace::phpSingleQuoted(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    EXPECT_TRUE(CustomReplace::phpSingleQuoted(QString()).isNull());
}

struct WebSafeCase
{
    QString input;
    QString expected;
};

class WebSafeTable : public testing::TestWithParam<WebSafeCase> {};

TEST_P(WebSafeTable, ReplacesEachOtherCharacterByOneHyphen)
{
    const QString safe = CustomReplace::webSafe(GetParam().input);
    EXPECT_EQ(safe, GetParam().expected);
    EXPECT_FALSE(safe.isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebSafeTable,
    testing::Values(
        WebSafeCase{"My Shirt (red).jpg", "My-Shirt--red-.jpg"},
        WebSafeCase{" lead and trail ", "-lead-and-trail-"},
        WebSafeCase{"keep_.-Case09", "keep_.-Case09"},
        WebSafeCase{"a/b\\c:d*e?f\"g<h>i|j\tk", "a-b-c-d-e-f-g-h-i-j-k"},
        WebSafeCase{QString::fromUtf8("Café Ünïcödé.png"), QString::fromUtf8("Café-Ünïcödé.png")},
        WebSafeCase{QString::fromUtf8("e\u0301 日本語 ½"), QString::fromUtf8("e\u0301-日本語-½")},
        // Outside the BMP: a letter is kept, an emoji becomes a single hyphen.
        WebSafeCase{QString::fromUtf8("\U0001D49C\U0001F600x"), QString::fromUtf8("\U0001D49C-x")},
        WebSafeCase{QString(QChar(0xD800)) + "x", "-x"},
        WebSafeCase{"", ""}));

} // namespace
