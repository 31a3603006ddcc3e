#pragma once

#include "export/exportsource.h"
#include "host/rwpage.h"

#include <functional>

// A shop page frozen for export: unshared copies of its settings and products
// (same IDs, nothing entered in the product registry), its scratch folder and
// its place in the host. Make it on the thread that owns the page; after
// that it is read by one export on any thread, independently of the page.
class PageSnapshot : public ExportSource
{
public:
    using AlertHandler = std::function<void(const QStringList &alert)>;

    PageSnapshot(const TillboxGlobalSettings &settings, const QList<std::shared_ptr<TillboxProduct>> &products,
                 const QString &scratchFolder, const RWPage *page);
    ~PageSnapshot() override;

    void setPendingPageTexts(const std::optional<StyledText> &header, const std::optional<StyledText> &footer);
    // Called, on the exporting thread, for alerts; the handler decides how to
    // reach the author (a GUI hands it to its own thread).
    void setAlertHandler(const AlertHandler &handler) { m_alertHandler = handler; }

    TillboxGlobalSettings &exportSettings() override { return *m_settings; }
    const QList<std::shared_ptr<TillboxProduct>> &exportProducts() const override { return m_products; }
    QString exportScratchFolder(const QString &name) override;
    std::unique_ptr<RMHTML> exportStyledTextExporter(const ExportParameters &params) const override;
    const RWPage *exportPage() const override { return m_page ? &*m_page : nullptr; }
    std::optional<StyledText> pendingPageHeader() const override { return m_header; }
    std::optional<StyledText> pendingPageFooter() const override { return m_footer; }
    void runExportAlert(const QStringList &alert) override;

private:
    std::shared_ptr<TillboxGlobalSettings> m_settings;
    QList<std::shared_ptr<TillboxProduct>> m_products;
    QString m_scratchRoot;
    std::optional<RWPage> m_page;
    std::optional<StyledText> m_header;
    std::optional<StyledText> m_footer;
    AlertHandler m_alertHandler;
};
