#pragma once

#include "plugin/plugineditor.h"
#include "util/styledtext.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// An editor without views that remembers what the plug-in asked of it, so
// tests can tell which refreshes a change caused.
class RecordingEditor : public PluginEditor
{
public:
    // Run by endEditing(): stands for a text field whose typed value is
    // committed only when editing ends.
    std::function<void()> pendingInput;

    // The header and footer views; nullopt means "no such view".
    std::optional<StyledText> header = StyledText();
    std::optional<StyledText> footer = StyledText();
    bool descriptionViewPresent = true;

    int endEditingCount = 0;
    int checkoutChanges = 0;
    int tableRedraws = 0;
    int descriptionUpdates = 0;
    int shopperTextReloads = 0;
    std::vector<CurrencyRefresh> refreshes;
    std::vector<bool> couponWarnings;
    std::vector<QString> shownDescriptions;
    std::vector<QStringList> alerts; // title, message, button
    // In order: "currency <fixed coupon title>", "checkout", "broadcast".
    std::vector<QString> events;

    void endEditing() override
    {
        ++endEditingCount;
        if (pendingInput) {
            pendingInput();
            pendingInput = nullptr;
        }
    }
    std::optional<StyledText> headerText() const override { return header; }
    std::optional<StyledText> footerText() const override { return footer; }
    void setHeaderText(const StyledText &text) override
    {
        if (header)
            header = text;
    }
    void setFooterText(const StyledText &text) override
    {
        if (footer)
            footer = text;
    }
    bool hasDescriptionView() const override { return descriptionViewPresent; }
    void showDescription(const StyledText &text) override { shownDescriptions.push_back(text.text()); }
    void updateDescriptionView() override
    {
        ++descriptionUpdates;
        events.push_back(QStringLiteral("broadcast"));
    }
    void applyCurrencyRefresh(const CurrencyRefresh &refresh) override
    {
        refreshes.push_back(refresh);
        events.push_back(QStringLiteral("currency ") + refresh.fixedCouponTitle);
    }
    void handleCheckoutChange() override
    {
        ++checkoutChanges;
        events.push_back(QStringLiteral("checkout"));
    }
    void redrawProductTable() override { ++tableRedraws; }
    void setCouponWarningVisible(bool visible) override { couponWarnings.push_back(visible); }
    void reloadShopperTexts() override { ++shopperTextReloads; }
    void runAlert(const QStringList &alert) override { alerts.push_back(alert); }

    // Forgets what was recorded so far (the set-up's own refreshes).
    void clear()
    {
        endEditingCount = checkoutChanges = tableRedraws = descriptionUpdates = shopperTextReloads = 0;
        refreshes.clear();
        couponWarnings.clear();
        shownDescriptions.clear();
        alerts.clear();
        events.clear();
    }
    std::optional<bool> lastCouponWarning() const
    {
        return couponWarnings.empty() ? std::nullopt : std::optional<bool>(couponWarnings.back());
    }
};
