#pragma once

#include "prices/currencyrefresh.h"
#include "util/styledtext.h"

#include <QObject>
#include <QStringList>
#include <optional>

// What the plug-in asks of its editor. Until an editor is attached the
// plug-in runs without views: each call then does nothing, so the core works
// headless (command line, tests). The desktop editor implements this.
class PluginEditor
{
public:
    virtual ~PluginEditor() = default;

    // The views the host shows.
    virtual QObject *userInteractionAndEditingView() { return nullptr; }
    virtual QObject *optionsAndConfigurationView() { return nullptr; }

    // Ends any editing in progress so typed values reach the records.
    virtual void endEditing() {}
    // The styled texts of the page header and footer views; absent: no view.
    virtual std::optional<StyledText> headerText() const { return std::nullopt; }
    virtual std::optional<StyledText> footerText() const { return std::nullopt; }
    virtual void setHeaderText(const StyledText &) {}
    virtual void setFooterText(const StyledText &) {}
    // Shows a product's styled description in the description view.
    virtual bool hasDescriptionView() const { return false; }
    virtual void showDescription(const StyledText &) {}
    // Copies the description view's text into the selected product.
    virtual void updateDescriptionView() {}

    virtual void applyCurrencyRefresh(const CurrencyRefresh &) {}
    virtual void handleCheckoutChange() {}
    virtual void redrawProductTable() {}
    virtual void setCouponWarningVisible(bool) {}
    virtual void reloadShopperTexts() {}
    // Shows an alert: title, message, button label.
    virtual void runAlert(const QStringList &) {}
};
