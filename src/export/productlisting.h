#pragma once

#include <QString>

class Bundle;
class ExportParameters;
class ExportSource;

// Ends a full row of the listing, so that floated items of the next row start
// on a new line in every browser.
inline const QString TBXIEMultiColumnFix = QStringLiteral("<div class=\"tbClear\"></div>");

// The body of a shop page: the page header, one block per listed product made
// from the item layout, and the page footer.
//
// Each block is filled by literal replace-all steps in a fixed order, every
// step acting on the whole block so far (so a value holding a placeholder of a
// later step has it filled in turn). Hidden products are left out and do not
// count towards the row breaks.
//
// Templates ("template_item_option_input", "template_item_option_textarea",
// "template_item_option_select", "template_option_value", "template_old_price",
// type "html") and the texts "i18nAddToCart", "i18nOutOfStock",
// "PHPWarningTitle", "PreviewExplanation" and "OK" come from the given bundle;
// the default item layout comes from the settings (defaultLayout). A missing
// template reads as "" and is logged.
class ProductListing
{
public:
    // source: its settings, products, pending header and footer, exporter
    // and page are read at call time. Both must outlive the listing.
    ProductListing(ExportSource &source, const Bundle &bundle);

    // The page body. In preview, with PHP-backed features on and the warning
    // enabled, first shows the missing-PHP alert through the source;
    // generation goes on either way. Copies the header and footer the source
    // has pending into the settings (pageHeader, pageFooter).
    QString contentHTML(const ExportParameters &params);

private:
    ExportSource &m_source;
    const Bundle &m_bundle;
};
