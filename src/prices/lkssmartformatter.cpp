#include "prices/lkssmartformatter.h"

#include <QList>
#include <QStringList>

#include <charconv>
#include <cmath>

namespace {

bool isDigitPosition(QChar c)
{
    return c == QLatin1Char('#') || c == QLatin1Char('0');
}

bool isNumberPatternChar(QChar c)
{
    return isDigitPosition(c) || c == QLatin1Char(',') || c == QLatin1Char('.');
}

bool isSignChar(QChar c)
{
    return c == QLatin1Char('+') || c == QLatin1Char('-') || c == QChar(0x00B1)
        || c == QChar(0x2212);
}

// Typed or pasted text may hold the look-alike characters the price patterns
// put into currency symbols, or a typographic minus.
QString withPlainLookAlikes(QString text)
{
    text.replace(QChar(0x2024), QLatin1Char('.'));
    text.replace(QChar(0x201A), QLatin1Char(','));
    text.replace(QChar(0x2212), QLatin1Char('-'));
    return text;
}

QString withoutWhitespace(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (!c.isSpace())
            result.append(c);
    }
    return result;
}

// The symbol part of a segment's literal text: without whitespace and
// without the one sign character that a prefix may start with ("+ Fr. " ->
// "Fr."). Signs inside a symbol (",-") are part of it.
QString symbolCore(const QString &affix, bool isPrefix)
{
    QString core = withoutWhitespace(withPlainLookAlikes(affix));
    if (isPrefix && !core.isEmpty() && isSignChar(core.front()))
        core.remove(0, 1);
    return core;
}

// Number of characters at the start of `text` that spell `core`, with any
// whitespace in the text skipped; -1 when they do not.
qsizetype matchAtStart(QStringView text, QStringView core)
{
    qsizetype i = 0;
    for (const QChar wanted : core) {
        while (i < text.size() && text[i].isSpace())
            ++i;
        if (i >= text.size() || text[i].toCaseFolded() != wanted.toCaseFolded())
            return -1;
        ++i;
    }
    return i;
}

qsizetype matchAtEnd(QStringView text, QStringView core)
{
    qsizetype i = text.size();
    for (qsizetype k = core.size() - 1; k >= 0; --k) {
        while (i > 0 && text[i - 1].isSpace())
            --i;
        if (i == 0 || text[i - 1].toCaseFolded() != core[k].toCaseFolded())
            return -1;
        --i;
    }
    return text.size() - i;
}

bool allAsciiDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

void LKSSmartFormatter::setDecimalSeparator(const QString &separator)
{
    m_decimalSeparator = separator.isEmpty() ? QStringLiteral(".") : separator;
}

void LKSSmartFormatter::setThousandSeparator(const QString &separator)
{
    m_thousandSeparator = separator.isNull() ? QStringLiteral("") : separator;
}

void LKSSmartFormatter::setFormat(const QString &format)
{
    if (format == m_format && format.isNull() == m_format.isNull())
        return;
    m_format = format;
    m_positive.reset();
    m_zero.reset();
    m_negative.reset();
    if (format.isEmpty())
        return;
    const QStringList segments = format.split(QLatin1Char(';'));
    m_positive = parseSegment(segments.at(0));
    if (segments.size() == 2) {
        m_negative = parseSegment(segments.at(1));
    } else if (segments.size() >= 3) {
        // Anything after a third ";" is ignored.
        m_zero = parseSegment(segments.at(1));
        m_negative = parseSegment(segments.at(2));
    }
}

void LKSSmartFormatter::setMaximum(std::optional<double> maximum)
{
    m_maximum = maximum;
}

void LKSSmartFormatter::setMinimum(std::optional<double> minimum)
{
    m_minimum = minimum;
}

void LKSSmartFormatter::setMultiplier(double multiplier)
{
    Q_ASSERT(std::isfinite(multiplier));
    m_multiplier = multiplier;
}

LKSSmartFormatter::Segment LKSSmartFormatter::parseSegment(const QString &text)
{
    Segment segment;
    segment.text = text;
    qsizetype start = 0;
    while (start < text.size() && !isDigitPosition(text[start]))
        ++start;
    if (start == text.size()) {
        // No digit positions: the whole segment is literal text in front of
        // a plain integer.
        segment.prefix = text;
        return segment;
    }
    qsizetype end = start;
    while (end < text.size() && isNumberPatternChar(text[end]))
        ++end;
    // A trailing "." or "," belongs to the literal text after the number (a
    // currency symbol such as "Fr." or ",-" written right after it).
    while (!isDigitPosition(text[end - 1]))
        --end;

    segment.prefix = text.left(start);
    segment.suffix = text.mid(end);
    const QStringView number = QStringView(text).mid(start, end - start);
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    const QStringView integer = point < 0 ? number : number.left(point);
    const QStringView fraction = point < 0 ? QStringView() : number.mid(point + 1);

    segment.minimumIntegerDigits = int(integer.count(QLatin1Char('0')));
    segment.decimals = 0;
    for (const QChar c : fraction) {
        if (isDigitPosition(c))
            ++segment.decimals;
    }
    const qsizetype lastComma = integer.lastIndexOf(QLatin1Char(','));
    if (lastComma >= 0) {
        for (const QChar c : integer.mid(lastComma + 1)) {
            if (isDigitPosition(c))
                ++segment.groupingSize;
        }
    }
    return segment;
}

bool LKSSmartFormatter::Digits::isZero() const
{
    return integer.isEmpty() && fraction.count(QLatin1Char('0')) == fraction.size();
}

LKSSmartFormatter::Digits LKSSmartFormatter::roundedDigits(double magnitude, int decimals)
{
    // The shortest decimal text that reads back as the same double: rounding
    // that text (rather than the binary value) gives what the author typed,
    // e.g. 1.005 -> 1.01 and 0.125 -> 0.13.
    char buffer[1100];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                         std::chars_format::fixed);
    Q_ASSERT(converted.ec == std::errc());
    const QString text = QString::fromLatin1(buffer, converted.ptr - buffer);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? text : text.left(point);
    QString fraction = point < 0 ? QString() : text.mid(point + 1);

    bool roundUp = false;
    if (fraction.size() > decimals) {
        // Half away from zero: the first dropped digit decides.
        roundUp = fraction.at(decimals) >= QLatin1Char('5');
        fraction.truncate(decimals);
    } else {
        fraction = fraction.leftJustified(decimals, QLatin1Char('0'));
    }
    QString all = integer + fraction;
    if (roundUp) {
        qsizetype i = all.size() - 1;
        for (; i >= 0; --i) {
            if (all[i] == QLatin1Char('9')) {
                all[i] = QLatin1Char('0');
            } else {
                all[i] = QChar(all[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            all.prepend(QLatin1Char('1'));
    }
    Digits digits;
    digits.fraction = all.right(decimals);
    digits.integer = all.left(all.size() - decimals);
    qsizetype leadingZeros = 0;
    while (leadingZeros < digits.integer.size() && digits.integer[leadingZeros] == QLatin1Char('0'))
        ++leadingZeros;
    digits.integer.remove(0, leadingZeros);
    return digits;
}

QString LKSSmartFormatter::numberInSegment(const Segment &segment, const Digits &digits) const
{
    QString integer = digits.integer.rightJustified(segment.minimumIntegerDigits, QLatin1Char('0'));
    if (integer.isEmpty() && segment.decimals == 0)
        integer = QStringLiteral("0"); // "#" alone must still show something
    if (segment.groupingSize > 0 && !m_thousandSeparator.isEmpty()) {
        for (qsizetype at = integer.size() - segment.groupingSize; at > 0; at -= segment.groupingSize)
            integer.insert(at, m_thousandSeparator);
    }
    QString text = segment.prefix + integer;
    if (segment.decimals > 0)
        text += m_decimalSeparator + digits.fraction;
    return text + segment.suffix;
}

QString LKSSmartFormatter::plainText(double number) const
{
    char buffer[1100];
    const auto converted = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(number),
                                         std::chars_format::fixed);
    Q_ASSERT(converted.ec == std::errc());
    QString text = QString::fromLatin1(buffer, converted.ptr - buffer);
    text.replace(QLatin1Char('.'), m_decimalSeparator);
    if (number < 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

QString LKSSmartFormatter::stringFromNumber(double number) const
{
    const double shown = number * m_multiplier;
    if (!std::isfinite(shown))
        return QString();
    if (!m_positive)
        return plainText(shown);

    const bool negative = shown < 0;
    const Segment &chosen = negative && m_negative ? *m_negative : *m_positive;
    const Digits digits = roundedDigits(std::fabs(shown), chosen.decimals);
    if (digits.isZero()) {
        if (m_zero)
            return m_zero->text;
        return numberInSegment(*m_positive, roundedDigits(0.0, m_positive->decimals));
    }
    QString text = numberInSegment(chosen, digits);
    if (negative && !m_negative)
        text.prepend(QLatin1Char('-'));
    return text;
}

std::optional<double> LKSSmartFormatter::parsePlainNumber(QStringView text) const
{
    QStringView integer = text;
    QStringView fraction;
    const qsizetype point = text.indexOf(m_decimalSeparator);
    if (point >= 0) {
        integer = text.left(point);
        fraction = text.mid(point + m_decimalSeparator.size());
        if (fraction.contains(m_decimalSeparator))
            return std::nullopt;
    }
    QString integerDigits;
    if (!m_thousandSeparator.isEmpty() && integer.contains(m_thousandSeparator)) {
        const int groupSize = m_positive && m_positive->groupingSize > 0 ? m_positive->groupingSize : 3;
        const QList<QStringView> groups = integer.split(m_thousandSeparator);
        for (qsizetype i = 0; i < groups.size(); ++i) {
            const qsizetype size = groups[i].size();
            const bool wellFormed = i == 0 ? size >= 1 && size <= groupSize : size == groupSize;
            if (!wellFormed)
                return std::nullopt;
            integerDigits += groups[i];
        }
    } else {
        integerDigits = integer.toString();
    }
    if (!allAsciiDigits(integerDigits) || !allAsciiDigits(fraction))
        return std::nullopt;
    if (integerDigits.isEmpty() && fraction.isEmpty())
        return std::nullopt;

    const QByteArray plain = (integerDigits.isEmpty() ? QStringLiteral("0") : integerDigits).toLatin1()
        + '.' + (fraction.isEmpty() ? QByteArray("0") : fraction.toLatin1());
    double value = 0.0;
    const auto parsed = std::from_chars(plain.constData(), plain.constData() + plain.size(), value);
    if (parsed.ec != std::errc() || parsed.ptr != plain.constData() + plain.size()
        || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> LKSSmartFormatter::numberFromString(const QString &text) const
{
    QString rest = withPlainLookAlikes(text).trimmed();
    if (rest.isEmpty())
        return std::nullopt;

    double typed = 0.0;
    if (m_zero && withoutWhitespace(rest) == withoutWhitespace(withPlainLookAlikes(m_zero->text))) {
        // The zero segment may be written with a separator that is not the
        // current decimal separator ("± 0.00" beside ","), so it is matched
        // as a whole.
        typed = 0.0;
    } else {
        // Symbols of every segment; those found only in the negative segment
        // mark the number as negative by themselves.
        QStringList cores;
        QStringList positiveCores;
        for (const auto *segment : {&m_positive, &m_zero, &m_negative}) {
            if (!*segment)
                continue;
            for (const bool isPrefix : {true, false}) {
                const QString core = symbolCore(isPrefix ? (*segment)->prefix : (*segment)->suffix,
                                                isPrefix);
                if (core.isEmpty())
                    continue;
                if (!cores.contains(core))
                    cores.append(core);
                if (segment != &m_negative)
                    positiveCores.append(core);
            }
        }
        bool negative = false;
        bool signSeen = false;
        auto takeSign = [&] {
            rest = rest.trimmed();
            if (!rest.isEmpty() && isSignChar(rest.front())) {
                negative = negative || rest.front() == QLatin1Char('-');
                signSeen = true;
                rest.remove(0, 1);
            }
        };
        // Longest match first, so "Fr." wins over a shorter symbol.
        auto strip = [&](bool atStart) {
            qsizetype best = -1;
            QString bestCore;
            for (const QString &core : std::as_const(cores)) {
                const qsizetype length = atStart ? matchAtStart(rest, core) : matchAtEnd(rest, core);
                if (length > best) {
                    best = length;
                    bestCore = core;
                }
            }
            if (best <= 0)
                return;
            rest = atStart ? rest.mid(best) : rest.left(rest.size() - best);
            if (!positiveCores.contains(bestCore))
                negative = true;
        };

        takeSign();
        strip(true);
        if (!signSeen)
            takeSign();
        rest = rest.trimmed();
        strip(false);
        const std::optional<double> value = parsePlainNumber(rest.trimmed());
        if (!value)
            return std::nullopt;
        typed = negative && *value != 0.0 ? -*value : *value;
    }

    if (m_multiplier == 0.0)
        return std::nullopt;
    const double stored = typed / m_multiplier;
    if (!std::isfinite(stored))
        return std::nullopt;
    if ((m_minimum && stored < *m_minimum) || (m_maximum && stored > *m_maximum))
        return std::nullopt;
    return stored;
}
