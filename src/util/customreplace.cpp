#include "util/customreplace.h"

#include <algorithm>

namespace {

QString normalisedLineEnds(QString value)
{
    // Order matters: "\r\n" first, so it gives one line feed, not two.
    value.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    value.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return value;
}

bool isKeptInFileName(char32_t ucs4)
{
    if (ucs4 == U'.' || ucs4 == U'-' || ucs4 == U'_')
        return true;
    const QChar::Category category = QChar::category(ucs4);
    return CustomReplace::isLetterMarkOrDigit(ucs4) || category == QChar::Number_Letter
        || category == QChar::Number_Other;
}

} // namespace

EscapeMode CustomReplace::escapeModeFromInt(int mode)
{
    switch (mode) {
    case int(EscapeMode::Script):
        return EscapeMode::Script;
    case int(EscapeMode::Html):
        return EscapeMode::Html;
    default:
        return EscapeMode::Plain;
    }
}

QString CustomReplace::escaped(const QString &replacement, EscapeMode mode)
{
    // Most values (names, numbers, paths) hold nothing any step below
    // touches: one look instead of a search per step.
    const bool untouched = std::none_of(replacement.cbegin(), replacement.cend(), [mode](QChar c) {
        const char16_t u = c.unicode();
        return u == '\r' || (mode != EscapeMode::Plain
                              && (u == '\n' || u == '"' || u == '\'' || u == '\\' || u == '<' || u == 0x2028
                                  || u == 0x2029));
    });
    if (untouched)
        return replacement.isNull() ? QStringLiteral("") : replacement;
    QString value = normalisedLineEnds(replacement.isNull() ? QStringLiteral("") : replacement);
    switch (mode) {
    case EscapeMode::Html:
        value.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
        value.replace(QLatin1Char('\''), QStringLiteral("&#39;"));
        value.replace(QLatin1Char('\n'), QStringLiteral("<br />"));
        break;
    case EscapeMode::Script:
        // Backslashes first: every later step inserts backslashes of its own.
        value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
        // The HTML parser ends a script element at "</script" and changes
        // state at "<!--" whatever the script's own quoting says; "\/" and
        // "\!" read as "/" and "!" inside a script string.
        value.replace(QStringLiteral("</"), QStringLiteral("<\\/"));
        value.replace(QStringLiteral("<!--"), QStringLiteral("<\\!--"));
        value.replace(QChar(0x2028), QStringLiteral("\\u2028"));
        value.replace(QChar(0x2029), QStringLiteral("\\u2029"));
        break;
    case EscapeMode::Plain:
        break;
    }
    return value;
}

QString CustomReplace::stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                                  const QString &target,
                                                                  const QString &replacement,
                                                                  EscapeMode mode)
{
    if (target.isEmpty() || text.isEmpty())
        return text;
    // Templates are filled one placeholder at a time, so most calls find
    // nothing: look for the target's first character (a fast scan), and
    // escape the value only once there is a match. Literal, left to right,
    // non-overlapping; the inserted text is not searched again.
    const QStringView haystack(text);
    const qsizetype length = target.size();
    const auto find = [&](qsizetype from) {
        const qsizetype last = haystack.size() - length;
        for (qsizetype at = haystack.indexOf(target.front(), from); at >= 0 && at <= last;
             at = haystack.indexOf(target.front(), at + 1)) {
            if (length == 1 || (haystack[at + 1] == target[1] && haystack.sliced(at, length) == target))
                return at;
        }
        return qsizetype(-1);
    };
    qsizetype at = find(0);
    if (at < 0)
        return text;
    const QString value = escaped(replacement, mode);
    QString result;
    result.reserve(text.size() + value.size());
    qsizetype done = 0;
    for (; at >= 0; at = find(done)) {
        result.append(haystack.sliced(done, at - done)).append(value);
        done = at + target.size();
    }
    result.append(haystack.sliced(done));
    return result;
}

QString CustomReplace::stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                                  const QString &target,
                                                                  const QString &replacement,
                                                                  int mode)
{
    return stringByCustomReplacingOccurrencesOfString(text, target, replacement,
                                                      escapeModeFromInt(mode));
}

QString CustomReplace::stringByCustomReplacingOccurrencesOfString(const QString &text,
                                                                  const QString &target,
                                                                  const QString &replacement)
{
    return stringByCustomReplacingOccurrencesOfString(text, target, replacement,
                                                      EscapeMode::Plain);
}

QString CustomReplace::phpSingleQuoted(const QString &value)
{
    if (value.isNull())
        return value;
    QString result = value;
    result.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    result.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return result;
}

QString CustomReplace::webSafe(const QString &text)
{
    return replacingCharacters(text, isKeptInFileName, QLatin1Char('-'));
}

QString CustomReplace::replacingCharacters(const QString &text, bool (*keep)(char32_t), QChar replacement)
{
    if (text.isNull())
        return QString();
    QString result = QStringLiteral(""); // an empty text stays empty, not absent
    result.reserve(text.size());
    const auto units = QStringView(text);
    qsizetype i = 0;
    while (i < units.size()) {
        const QChar c = units[i];
        if (c.isHighSurrogate() && i + 1 < units.size() && units[i + 1].isLowSurrogate()) {
            const char32_t ucs4 = QChar::surrogateToUcs4(c, units[i + 1]);
            if (keep(ucs4))
                result.append(units.mid(i, 2));
            else
                result.append(replacement);
            i += 2;
            continue;
        }
        // A lone surrogate is category Cs and so is replaced.
        result.append(keep(c.unicode()) ? c : replacement);
        ++i;
    }
    return result;
}

bool CustomReplace::isLetterMarkOrDigit(char32_t ucs4)
{
    switch (QChar::category(ucs4)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}
