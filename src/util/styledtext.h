#pragma once

#include "util/color.h"

#include <QList>
#include <QString>
#include <optional>

// Styled text: characters with runs of font, colour, underline, link and
// paragraph alignment. This is what the editor's rich-text fields produce and
// what the page header, footer and product descriptions store.
struct TextFont
{
    QString name;          // PostScript-style name, e.g. "Helvetica-Bold"
    double pointSize = 12.0;

    bool isBold() const;
    bool isItalic() const;
    friend bool operator==(const TextFont &, const TextFont &) = default;
};

enum class TextAlignment { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };

struct TextAttributes
{
    std::optional<TextFont> font;
    std::optional<Color> color;
    bool underline = false;
    QString link;
    TextAlignment alignment = TextAlignment::Natural;

    bool isPlain() const { return *this == TextAttributes{}; }
    friend bool operator==(const TextAttributes &, const TextAttributes &) = default;
};

struct StyledRun
{
    int length = 0; // in UTF-16 code units
    TextAttributes attributes;
    friend bool operator==(const StyledRun &, const StyledRun &) = default;
};

class StyledText
{
public:
    StyledText() = default;
    // Plain text without attributes.
    explicit StyledText(const QString &plain);

    const QString &text() const { return m_text; }
    // Runs cover the whole text in order; plain text has a single plain run.
    const QList<StyledRun> &runs() const { return m_runs; }
    // The runs, with a plain run for any text they fall short of (stored
    // texts normally have none), so that readers lose no characters.
    QList<StyledRun> coveringRuns() const;
    bool isEmpty() const { return m_text.isEmpty(); }

    // Appends text with the given attributes, merging with the last run when
    // the attributes are equal.
    void append(const QString &text, const TextAttributes &attributes = {});

    friend bool operator==(const StyledText &, const StyledText &) = default;

private:
    QString m_text;
    QList<StyledRun> m_runs;
};
