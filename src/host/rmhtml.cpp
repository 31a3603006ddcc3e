#include "host/rmhtml.h"

#include "util/styledtext.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kDefaultPointSize = 12.0;
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': result += QLatin1String("&amp;"); break;
        case '<': result += QLatin1String("&lt;"); break;
        case '>': result += QLatin1String("&gt;"); break;
        case '"': result += QLatin1String("&quot;"); break;
        case '\'': result += QLatin1String("&#39;"); break;
        case kLineSeparator: result += QLatin1String("<br />"); break;
        default: result += c;
        }
    }
    return result;
}

// C0 controls other than tab, and DEL, are not allowed in HTML text.
bool isDroppedControl(QChar c)
{
    return (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f;
}

// The target to write for a link, or nothing when the link must not become
// one. Browsers ignore control characters and surrounding spaces in a URL, so
// "java\tscript:" still runs script: judge (and write) the cleaned form.
std::optional<QString> safeLinkTarget(const QString &link)
{
    QString target;
    for (const QChar c : link) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            target += c;
    }
    target = target.trimmed();
    if (target.isEmpty())
        return std::nullopt;

    // A colon before any of "/?#" marks a scheme; anything else is a relative
    // reference or an anchor, which stays on the site.
    const auto delimiter = std::find_if(target.cbegin(), target.cend(), [](QChar c) {
        return c == QLatin1Char(':') || c == QLatin1Char('/') || c == QLatin1Char('?')
            || c == QLatin1Char('#');
    });
    if (delimiter == target.cend() || *delimiter != QLatin1Char(':'))
        return target;
    const QString scheme = target.left(delimiter - target.cbegin()).toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto"))
        return target;
    return std::nullopt;
}

QString cssNumber(double value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

double clampedComponent(double value)
{
    // Extended-range and damaged colours must still give two hex digits each.
    if (!(value > 0.0))
        return 0.0;
    return std::min(value, 1.0);
}

// What a stretch of characters looks like in HTML; characters with equal
// styles are written together.
struct InlineStyle
{
    QString href;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString css;

    friend bool operator==(const InlineStyle &, const InlineStyle &) = default;

    static InlineStyle from(const TextAttributes &attributes)
    {
        InlineStyle style;
        if (!attributes.link.isEmpty())
            style.href = safeLinkTarget(attributes.link).value_or(QString());
        style.underline = attributes.underline;

        QStringList css;
        if (attributes.font) {
            style.bold = attributes.font->isBold();
            style.italic = attributes.font->isItalic();
            const double size = std::round(attributes.font->pointSize * 100.0) / 100.0;
            if (std::isfinite(size) && size > 0.0 && size != kDefaultPointSize)
                css << QLatin1String("font-size:") + cssNumber(size) + QLatin1String("px");
        }
        if (attributes.color && attributes.color->hasRgbForm()) {
            const Color &c = *attributes.color;
            const Color clamped(clampedComponent(c.red()), clampedComponent(c.green()),
                                clampedComponent(c.blue()));
            if (const auto hex = clamped.hexValue())
                css << QLatin1String("color:#") + *hex;
        }
        style.css = css.join(QLatin1Char(';'));
        return style;
    }

    // Tags from the outside in. The style span sits innermost so that a colour
    // change inside bold text does not reopen the bold.
    QList<std::pair<QString, QString>> tags() const
    {
        QList<std::pair<QString, QString>> result;
        if (!href.isEmpty())
            result.append({QLatin1String("<a href=\"") + escaped(href) + QLatin1String("\">"),
                           QStringLiteral("</a>")});
        if (bold)
            result.append({QStringLiteral("<strong>"), QStringLiteral("</strong>")});
        if (italic)
            result.append({QStringLiteral("<em>"), QStringLiteral("</em>")});
        if (underline)
            result.append({QStringLiteral("<u>"), QStringLiteral("</u>")});
        if (!css.isEmpty())
            result.append({QLatin1String("<span style=\"") + escaped(css) + QLatin1String("\">"),
                           QStringLiteral("</span>")});
        return result;
    }
};

struct Segment
{
    InlineStyle style;
    QString text; // raw; U+2028 still in place
};

struct Paragraph
{
    TextAlignment alignment = TextAlignment::Natural;
    QList<Segment> segments;
};

QList<Paragraph> paragraphsOf(const StyledText &styled)
{
    const QString &text = styled.text();
    QList<Paragraph> paragraphs;
    Paragraph current;
    bool started = false;

    auto addCharacter = [&](QChar c, const TextAttributes &attributes, const InlineStyle &style) {
        if (!started) {
            current.alignment = attributes.alignment;
            started = true;
        }
        if (current.segments.isEmpty() || !(current.segments.last().style == style))
            current.segments.append(Segment{style, QString()});
        current.segments.last().text += c;
    };
    auto endParagraph = [&](const TextAttributes &attributes) {
        if (!started)
            current.alignment = attributes.alignment;
        paragraphs.append(current);
        current = Paragraph();
        started = false;
    };

    // Runs normally cover the text exactly; should they fall short, the rest
    // is written plain rather than lost.
    const QList<StyledRun> runs = styled.coveringRuns();

    qsizetype position = 0;
    for (const StyledRun &run : runs) {
        const qsizetype end = std::min<qsizetype>(position + std::max(run.length, 0), text.size());
        const InlineStyle style = InlineStyle::from(run.attributes);
        for (; position < end; ++position) {
            const QChar c = text.at(position);
            if (c == QLatin1Char('\r')) {
                // CR LF is one break: the LF that follows ends the paragraph.
                if (position + 1 < text.size() && text.at(position + 1) == QLatin1Char('\n'))
                    continue;
                endParagraph(run.attributes);
            } else if (c == QLatin1Char('\n') || c.unicode() == kParagraphSeparator) {
                endParagraph(run.attributes);
            } else if (!isDroppedControl(c)) {
                addCharacter(c, run.attributes, style);
            }
        }
        if (position >= text.size())
            break;
    }
    // Text after the last line feed is a paragraph of its own; a final line
    // feed does not open an empty one.
    if (started)
        paragraphs.append(current);
    return paragraphs;
}

QString alignmentStyle(TextAlignment alignment)
{
    switch (alignment) {
    case TextAlignment::Right: return QStringLiteral("right");
    case TextAlignment::Center: return QStringLiteral("center");
    case TextAlignment::Justified: return QStringLiteral("justify");
    case TextAlignment::Left:
    case TextAlignment::Natural: break;
    }
    return QString();
}

QString paragraphHTML(const Paragraph &paragraph)
{
    const QString align = alignmentStyle(paragraph.alignment);
    QString html = align.isEmpty()
        ? QStringLiteral("<p>")
        : QLatin1String("<p style=\"text-align:") + align + QLatin1String("\">");
    if (paragraph.segments.isEmpty())
        return html + QLatin1String("&nbsp;</p>");

    // Keep the tags shared with the previous segment open; close and open
    // only from the first one that differs.
    QList<std::pair<QString, QString>> open;
    for (const Segment &segment : paragraph.segments) {
        const auto tags = segment.style.tags();
        qsizetype shared = 0;
        while (shared < open.size() && shared < tags.size() && open.at(shared) == tags.at(shared))
            ++shared;
        while (open.size() > shared)
            html += open.takeLast().second;
        for (qsizetype i = shared; i < tags.size(); ++i) {
            html += tags.at(i).first;
            open.append(tags.at(i));
        }
        html += escaped(segment.text);
    }
    while (!open.isEmpty())
        html += open.takeLast().second;
    return html + QLatin1String("</p>");
}

} // namespace

std::unique_ptr<RMHTML> RMHTML::HTMLExporterWithParameterDictionary(const ExportParameters &parameters)
{
    return std::make_unique<RMHTML>(parameters);
}

QString RMHTML::htmlFragment(const StyledText &text)
{
    QStringList html;
    for (const Paragraph &paragraph : paragraphsOf(text))
        html << paragraphHTML(paragraph);
    return html.isEmpty() ? QString(QLatin1String("")) : html.join(QLatin1Char('\n'));
}

QString RMHTML::exportAttributedString(const StyledText &text, const QString &toPath,
                                       const QString &imagesFolder, const QString &imagePrefix,
                                       const QString &HTMLTemplate, const QString &contentTag,
                                       const RWPage *fromPage) const
{
    Q_UNUSED(toPath);
    Q_UNUSED(imagesFolder);
    Q_UNUSED(imagePrefix);
    Q_UNUSED(fromPage);
    Q_ASSERT(!contentTag.isEmpty());

    const QString placeholder = QLatin1Char('%') + contentTag + QLatin1Char('%');
    // QString::replace does not search the inserted text again, so a
    // placeholder typed into the styled text stays as it is.
    QString result = HTMLTemplate.isNull() ? QString(QLatin1String("")) : HTMLTemplate;
    return result.replace(placeholder, htmlFragment(text));
}
