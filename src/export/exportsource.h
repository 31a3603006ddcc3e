#pragma once

#include "util/styledtext.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class ExportParameters;
class RMHTML;
class RWPage;
class TillboxGlobalSettings;
class TillboxProduct;

// What one export of a shop page reads: the page's settings and products as
// they stand, and the few services of the host it needs. The plug-in hands
// its live records (TillboxPlugin implements this); PageSnapshot hands copies
// taken on the thread that owns the page, so an export can run on another
// thread while the author goes on editing.
class ExportSource
{
public:
    virtual ~ExportSource() = default;

    // The page's settings. The listing writes the page header and footer it
    // shows into them (see pendingPageHeader()).
    virtual TillboxGlobalSettings &exportSettings() = 0;
    // The products in listing order.
    virtual const QList<std::shared_ptr<TillboxProduct>> &exportProducts() const = 0;
    // An existing, writable scratch folder called name for the page's own
    // files; empty when there is none.
    virtual QString exportScratchFolder(const QString &name) = 0;
    // A styled-text exporter of the host's; null: RMHTML's own.
    virtual std::unique_ptr<RMHTML> exportStyledTextExporter(const ExportParameters &params) const = 0;
    // The page as the host knows it; null for a page the host has not placed.
    virtual const RWPage *exportPage() const = 0;

    // The header and footer an editor shows, which reach the settings only on
    // save: taken at export time so the preview shows what was typed. Absent
    // when there is no editor.
    virtual std::optional<StyledText> pendingPageHeader() const { return std::nullopt; }
    virtual std::optional<StyledText> pendingPageFooter() const { return std::nullopt; }
    // Shows an alert (title, message, button label), such as the preview's
    // missing-PHP warning. Does nothing when nobody can be told.
    virtual void runExportAlert(const QStringList &alert) { (void)alert; }
};
