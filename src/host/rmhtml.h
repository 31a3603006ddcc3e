#pragma once

#include "host/exportparameters.h"

#include <QString>
#include <memory>

class RWPage;
class StyledText;

// The host's styled-text exporter: turns a StyledText into a small, clean HTML
// fragment and places it into a template.
//
// Markup: every line feed (also CR LF, CR and U+2029) ends a paragraph <p>; an
// empty paragraph is written <p>&nbsp;</p>; U+2028 is a <br />. Bold and italic
// fonts give <strong> and <em>, underline <u>; a font size other than 12 points
// and an RGB colour go into <span style="font-size:Npx;color:#rrggbb">. Links
// become <a href>, but only http, https, mailto, relative and #anchor targets:
// any other scheme (javascript:, data:, file:, ...) is written as plain text. A
// paragraph's alignment comes from its first character (for an empty paragraph,
// its line feed); left and natural alignment add nothing. Adjacent characters
// that look the same share their tags, so the output never holds empty or
// redundant tags, and equal input always gives equal output.
class RMHTML
{
public:
    explicit RMHTML(const ExportParameters &parameters = {}) : m_parameters(parameters) {}
    virtual ~RMHTML() = default;

    static std::unique_ptr<RMHTML> HTMLExporterWithParameterDictionary(const ExportParameters &parameters);

    const ExportParameters &parameters() const { return m_parameters; }

    // The HTML of text put in place of every "%<contentTag>%" of HTMLTemplate
    // (a template without that placeholder comes back unchanged). The styled
    // text holds no pictures, so nothing is written to imagesFolder; toPath,
    // imagePrefix and fromPage are accepted for the host's calling convention.
    virtual QString exportAttributedString(const StyledText &text, const QString &toPath,
                                           const QString &imagesFolder, const QString &imagePrefix,
                                           const QString &HTMLTemplate, const QString &contentTag,
                                           const RWPage *fromPage) const;

    // The fragment alone, paragraphs separated by "\n"; "" for empty text.
    static QString htmlFragment(const StyledText &text);

private:
    ExportParameters m_parameters;
};
