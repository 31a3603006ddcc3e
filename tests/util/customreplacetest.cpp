#include "util/customreplace.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
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
    const auto replace = [&](auto... mode) {
        return CustomReplace::stringByCustomReplacingOccurrencesOfString(c.text, c.target, c.replacement, mode...);
    };
    EXPECT_EQ(replace(c.mode), c.expected);
    if (c.mode <= 2) { // the named modes
        EXPECT_EQ(replace(EscapeMode(c.mode)), c.expected);
    }
    if (c.mode == 0) {
        EXPECT_EQ(replace(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CustomReplaceTable, testing::ValuesIn(kReplaceCases),
                         [](const testing::TestParamInfo<ReplaceCase> &info) {
                             return std::string(info.param.name);
                         });

// What a program of `interpreter` prints for `source` (empty when it is
// not installed: the test is then skipped).
QByteArray runScript(const QString &interpreter, const QString &source)
{
    const QString program = QStandardPaths::findExecutable(interpreter);
    if (program.isEmpty())
        return {};
    QProcess process;
    process.start(program, {interpreter == QLatin1String("php") ? QStringLiteral("-r") : QStringLiteral("-e"),
                            source});
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

// Values that try to end the literal or the script element around them.
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

// A script engine and PHP read the escaped values back as they were (script
// line ends made "\n"); the script form never closes an element.
TEST(CustomReplace, EscapedValuesReadBackInTheRealLanguages)
{
    QStringList script, php;
    QJsonArray expectedScript, expectedPhp;
    for (const QString &value : kHostileValues) {
        const QString body = CustomReplace::escaped(value, EscapeMode::Script);
        EXPECT_FALSE(body.contains(QStringLiteral("</")) || body.contains(QStringLiteral("<!--"))) << qPrintable(body);
        script << QLatin1Char('"') + body + QLatin1Char('"');
        php << QLatin1Char('\'') + CustomReplace::phpSingleQuoted(value) + QLatin1Char('\'');
        expectedScript << QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
        expectedPhp << value;
    }
    EXPECT_EQ(CustomReplace::phpSingleQuoted(QStringLiteral("O'Brien")), QStringLiteral("O\\'Brien"));
    EXPECT_EQ(CustomReplace::phpSingleQuoted(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb"));
    EXPECT_TRUE(CustomReplace::phpSingleQuoted(QString()).isNull());

    const QByteArray fromNode = runScript(QStringLiteral("node"),
                                          QStringLiteral("console.log(JSON.stringify([%1]))").arg(script.join(u',')));
    const QByteArray fromPhp = runScript(QStringLiteral("php"), QStringLiteral("echo json_encode([%1]);").arg(php.join(u',')));
    if (fromNode.isEmpty() || fromPhp.isEmpty())
        GTEST_SKIP() << "node or php is not installed";
    EXPECT_EQ(QJsonDocument::fromJson(fromNode).array(), expectedScript) << fromNode.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(fromPhp).array(), expectedPhp) << fromPhp.toStdString();
}

// Each character outside letters, digits, "_", "." and "-" becomes one
// hyphen: outside the BMP a letter is kept and an emoji is one hyphen.
TEST(CustomReplace, WebSafeReplacesEachOtherCharacterByOneHyphen)
{
    for (const auto &[input, expected] :
         {std::pair{QStringLiteral("My Shirt (red).jpg"), QStringLiteral("My-Shirt--red-.jpg")},
          {QStringLiteral(" lead and trail "), QStringLiteral("-lead-and-trail-")},
          {QStringLiteral("keep_.-Case09"), QStringLiteral("keep_.-Case09")},
          {QStringLiteral("a/b\\c:d*e?f\"g<h>i|j\tk"), QStringLiteral("a-b-c-d-e-f-g-h-i-j-k")},
          {QString::fromUtf8("Café Ünïcödé.png"), QString::fromUtf8("Café-Ünïcödé.png")},
          {QString::fromUtf8("e\u0301 日本語 ½"), QString::fromUtf8("e\u0301-日本語-½")},
          {QString::fromUtf8("\U0001D49C\U0001F600x"), QString::fromUtf8("\U0001D49C-x")},
          {QString(QChar(0xD800)) + QLatin1Char('x'), QStringLiteral("-x")}, {QStringLiteral(""), QStringLiteral("")}}) {
        const QString safe = CustomReplace::webSafe(input);
        EXPECT_EQ(safe, expected);
        EXPECT_FALSE(safe.isNull());
    }
}

} // namespace
