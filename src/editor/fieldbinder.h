#pragma once

#include "editor/boundrecord.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class EditorContext;
class LKSSmartFormatter;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QWidget;

// Binds editor widgets to the fields of one record, by field name: a widget
// shows its field, and an edit the author finishes becomes one undoable step
// on the document's stack that stores the value through the record's setter
// rules and marks the page changed. Undo and redo do the same in reverse,
// and every widget bound to the field follows the record.
//
// The record comes from a source that is asked again on refresh(), so one
// binder serves "the selected product" while the selection moves. Without a
// record the bound widgets are disabled.
class FieldBinder : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<BoundRecord()>;

    // Which of the plug-in's formatters a numeric field uses.
    enum class NumberRole {
        Price,               // price, special price, shipping
        OptionPrice,         // option value prices
        Weight,              // product weight
        SignedWeight,        // option value weights
        AdditionalCostRange, // limits of the additional-cost tiers
        AdditionalCostValue, // values of the additional-cost tiers
        Percent,             // tax rates
        CouponValue,         // by the selected product's coupon type
    };

    // How a custom widget takes part: show() puts a value in the widget;
    // read() gives the value the author entered, or nothing when the entry is
    // refused (the widget then says why).
    struct Adapter
    {
        std::function<void(const QVariant &)> show;
        std::function<std::optional<QVariant>()> read;
    };

    FieldBinder(EditorContext &context, Source source, QObject *parent = nullptr);
    ~FieldBinder() override;

    // Text; committed when editing finishes (Return or leaving the field).
    void bind(QLineEdit *edit, const QString &field);
    // Text; committed when the field loses focus.
    void bind(QPlainTextEdit *edit, const QString &field);
    void bind(QCheckBox *box, const QString &field);
    // An int field: the chosen item's data (Qt::UserRole) when items carry
    // data, otherwise the item's index.
    void bind(QComboBox *box, const QString &field);
    void bind(QSpinBox *box, const QString &field);
    void bind(QDateTimeEdit *edit, const QString &field);
    // A number shown and read with the formatter of its role; text that does
    // not parse is refused: the field is marked, its tooltip says why, and
    // the record keeps its value.
    void bindNumber(QLineEdit *edit, const QString &field, NumberRole role);
    // Any other widget. Returns the commit to call when the author finished
    // an edit in it.
    std::function<void()> bindWidget(QWidget *widget, const QString &field, Adapter adapter);

    // Asks the source again and shows every bound field of its record.
    void refresh();
    // Commits every bound widget whose entry differs from its field (the
    // author saves or leaves while typing).
    void commitAll();

    BoundRecord record() const { return m_record; }
    // Shows the field's value in every widget bound to it.
    void showField(const QString &field);

    // The formatter of a role under the context's current formats.
    static LKSSmartFormatter formatter(const EditorContext &context, NumberRole role);

private Q_SLOTS:
    // The record announced a change under its change key, which is the field
    // name or the field name with a capital first letter.
    void onValueChanged(const QString &key);

private:
    struct Binding
    {
        QPointer<QWidget> widget;
        QString field;
        Adapter adapter;
    };

    void add(QWidget *widget, const QString &field, Adapter adapter);
    void commit(const Binding &binding);
    void show(const Binding &binding);
    void watch();

    EditorContext &m_context;
    Source m_source;
    BoundRecord m_record;
    QList<Binding> m_bindings;
    QMetaObject::Connection m_watch;
    bool m_showing = false;
};
