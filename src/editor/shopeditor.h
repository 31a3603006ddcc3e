#pragma once

#include "plugin/plugineditor.h"

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class EditorContext;
class QUndoStack;
class ShopEditorView;
class ShopSettingsView;
class TillboxPlugin;

// The editor of one shop page: what the plug-in asks of its views, answered
// by the shop editor's widgets. The views are made with the editor, so they
// show the page's texts before anything copies them back, and go with it.
class ShopEditor : public PluginEditor
{
public:
    using AlertHandler = std::function<void(const QStringList &)>;

    // undoStack: the document's; every edit made in the views goes on it.
    ShopEditor(TillboxPlugin &plugin, QUndoStack *undoStack);
    ~ShopEditor() override;

    // Where runAlert() sends its title, text and button label.
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }

    EditorContext &context() const { return *m_context; }
    ShopEditorView *view() const;
    ShopSettingsView *settingsView() const;

    QObject *userInteractionAndEditingView() override;
    QObject *optionsAndConfigurationView() override;
    void endEditing() override;
    std::optional<StyledText> headerText() const override;
    std::optional<StyledText> footerText() const override;
    void setHeaderText(const StyledText &text) override;
    void setFooterText(const StyledText &text) override;
    bool hasDescriptionView() const override;
    void showDescription(const StyledText &text) override;
    void updateDescriptionView() override;
    void applyCurrencyRefresh(const CurrencyRefresh &refresh) override;
    void handleCheckoutChange() override;
    void redrawProductTable() override;
    void setCouponWarningVisible(bool visible) override;
    void reloadShopperTexts() override;
    void runAlert(const QStringList &alert) override;

private:
    TillboxPlugin &m_plugin;
    std::unique_ptr<EditorContext> m_context;
    QPointer<ShopEditorView> m_view;
    QPointer<ShopSettingsView> m_settingsView;
    AlertHandler m_alert;
};
