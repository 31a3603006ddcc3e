#pragma once

#include "prices/currencyrefresh.h"

#include <QObject>

#include <memory>

class FieldBinder;
class QUndoCommand;
class QUndoStack;
class TillboxPlugin;

// What every part of one page's editor shares: the page, the document's undo
// stack, the number formats of the moment, and the bindings of the shop
// settings, their currency record and the selected product.
class EditorContext : public QObject
{
    Q_OBJECT

public:
    EditorContext(TillboxPlugin &plugin, QUndoStack *undoStack, QObject *parent = nullptr);
    ~EditorContext() override;

    TillboxPlugin &plugin() const { return m_plugin; }
    QUndoStack *undoStack() const { return m_undoStack; }

    FieldBinder &settings() const { return *m_settings; }
    FieldBinder &currency() const { return *m_currency; }
    // Follows the product list's selection.
    FieldBinder &product() const { return *m_product; }

    // Runs an edit as one undoable step (the stack runs it at once).
    void push(QUndoCommand *command);
    // Commits what is being typed in every bound field (the page is saved
    // or exported); bindings beyond the three above listen to commitRequested.
    void commitAll();
    // Marks the page changed: the plug-in's change broadcast.
    void broadcastChange();

    // The formats of the numeric fields, as the plug-in last worked them out.
    const CurrencyRefresh &formats() const { return m_formats; }
    void setFormats(const CurrencyRefresh &formats);

Q_SIGNALS:
    void formatsChanged();
    void commitRequested();

private:
    void watchSettings();

    TillboxPlugin &m_plugin;
    QUndoStack *m_undoStack;
    CurrencyRefresh m_formats;
    std::unique_ptr<FieldBinder> m_settings;
    std::unique_ptr<FieldBinder> m_currency;
    std::unique_ptr<FieldBinder> m_product;
    QMetaObject::Connection m_settingsWatch;
};
