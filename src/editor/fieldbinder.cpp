#include "editor/fieldbinder.h"

#include "editor/editorcontext.h"
#include "editor/setfieldcommand.h"

#include "prices/lkssmartformatter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

namespace {

// Commits a plain text field when it loses focus.
class FocusOutFilter : public QObject
{
public:
    FocusOutFilter(QObject *parent, std::function<void()> onFocusOut) : QObject(parent), m_onFocusOut(std::move(onFocusOut))
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusOut)
            m_onFocusOut();
        return false;
    }

private:
    std::function<void()> m_onFocusOut;
};

const char *const kRefusedStyle = "border: 1px solid #c0392b; background: #fdecea;";

void markRefused(QLineEdit *edit, const QString &reason)
{
    edit->setStyleSheet(QLatin1String("QLineEdit { ") + QLatin1String(kRefusedStyle) + QLatin1String(" }"));
    edit->setToolTip(reason);
    edit->setAccessibleDescription(reason);
    edit->setProperty("refused", true);
}

void clearRefused(QLineEdit *edit)
{
    if (!edit->property("refused").toBool())
        return;
    edit->setStyleSheet(QString());
    edit->setToolTip(QString());
    edit->setAccessibleDescription(QString());
    edit->setProperty("refused", false);
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    // Numbers compare by value whatever their type (a float field and the
    // double read from a text field); everything else as stored.
    const bool numbers = a.canConvert<double>() && b.canConvert<double>() && a.typeId() != QMetaType::QString &&
                         b.typeId() != QMetaType::QString && a.typeId() != QMetaType::Bool;
    if (numbers)
        return float(a.toDouble()) == float(b.toDouble()) || a.toDouble() == b.toDouble();
    return a == b && a.isNull() == b.isNull();
}

} // namespace

FieldBinder::FieldBinder(EditorContext &context, Source source, QObject *parent)
    : QObject(parent), m_context(context), m_source(std::move(source))
{
    m_record = m_source();
    watch();
}

FieldBinder::~FieldBinder() = default;

LKSSmartFormatter FieldBinder::formatter(const EditorContext &context, NumberRole role)
{
    const CurrencyRefresh &formats = context.formats();
    switch (role) {
    case NumberRole::Price:
        return formats.priceFormatter;
    case NumberRole::OptionPrice:
        return formats.optionPriceFormatter;
    case NumberRole::Weight:
        return formats.weightFormatter;
    case NumberRole::SignedWeight:
        return formats.signedWeightFormatter;
    case NumberRole::AdditionalCostRange:
        return formats.additionalCostsRangesFormatter.value_or(formats.priceFormatter);
    case NumberRole::AdditionalCostValue:
        return formats.additionalCostsValuesFormatter;
    case NumberRole::Percent:
        return formats.percentFormatter;
    case NumberRole::CouponValue:
        return formats.couponValueFormatter;
    }
    return formats.priceFormatter;
}

void FieldBinder::bind(QLineEdit *edit, const QString &field)
{
    add(edit, field,
        {[edit](const QVariant &value) { edit->setText(value.toString()); },
         [edit]() -> std::optional<QVariant> { return QVariant(edit->text()); }});
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        for (const Binding &binding : std::as_const(m_bindings)) {
            if (binding.widget == edit)
                commit(binding);
        }
    });
}

void FieldBinder::bind(QPlainTextEdit *edit, const QString &field)
{
    const auto commitEdit = bindWidget(edit, field,
                                       {[edit](const QVariant &value) { edit->setPlainText(value.toString()); },
                                        [edit]() -> std::optional<QVariant> { return QVariant(edit->toPlainText()); }});
    edit->installEventFilter(new FocusOutFilter(edit, commitEdit));
}

void FieldBinder::bind(QCheckBox *box, const QString &field)
{
    const auto commitBox =
        bindWidget(box, field,
                   {[box](const QVariant &value) { box->setChecked(value.toBool()); },
                    [box]() -> std::optional<QVariant> { return QVariant(box->isChecked()); }});
    connect(box, &QCheckBox::toggled, this, [this, commitBox] {
        if (!m_showing)
            commitBox();
    });
}

void FieldBinder::bind(QComboBox *box, const QString &field)
{
    const auto itemValue = [box](int index) {
        const QVariant data = box->itemData(index);
        return data.isValid() ? data.toInt() : index;
    };
    const auto commitBox = bindWidget(
        box, field,
        {[box](const QVariant &value) {
             const int byData = box->findData(value.toInt());
             box->setCurrentIndex(byData >= 0 || box->itemData(0).isValid() ? byData : value.toInt());
         },
         [box, itemValue]() -> std::optional<QVariant> {
             return box->currentIndex() < 0 ? std::nullopt : std::optional<QVariant>(itemValue(box->currentIndex()));
         }});
    connect(box, &QComboBox::activated, this, [commitBox] { commitBox(); });
}

void FieldBinder::bind(QSpinBox *box, const QString &field)
{
    const auto commitBox = bindWidget(box, field,
                                      {[box](const QVariant &value) { box->setValue(value.toInt()); },
                                       [box]() -> std::optional<QVariant> { return QVariant(box->value()); }});
    connect(box, &QSpinBox::editingFinished, this, [commitBox] { commitBox(); });
}

void FieldBinder::bind(QDateTimeEdit *edit, const QString &field)
{
    const auto commitEdit =
        bindWidget(edit, field,
                   {[edit](const QVariant &value) {
                        edit->setDateTime(value.isValid() ? value.toDateTime() : QDateTime::currentDateTime());
                    },
                    [edit]() -> std::optional<QVariant> { return QVariant(edit->dateTime()); }});
    connect(edit, &QDateTimeEdit::editingFinished, this, [commitEdit] { commitEdit(); });
}

void FieldBinder::bindNumber(QLineEdit *edit, const QString &field, NumberRole role)
{
    EditorContext &context = m_context;
    const auto commitEdit = bindWidget(
        edit, field,
        {[edit, &context, role](const QVariant &value) {
             clearRefused(edit);
             edit->setText(formatter(context, role).stringFromNumber(value.toDouble()));
         },
         [edit, &context, role]() -> std::optional<QVariant> {
             const LKSSmartFormatter format = formatter(context, role);
             const std::optional<double> number = format.numberFromString(edit->text());
             if (!number) {
                 QString reason = tr("\u201c%1\u201d is not a number this field takes; type one such as %2.")
                                      .arg(edit->text(), format.stringFromNumber(12.5));
                 if (format.minimum() && format.maximum())
                     reason += tr(" Allowed: %1 to %2.")
                                   .arg(format.stringFromNumber(*format.minimum()),
                                        format.stringFromNumber(*format.maximum()));
                 markRefused(edit, reason);
                 return std::nullopt;
             }
             clearRefused(edit);
             return QVariant(*number);
         }});
    connect(edit, &QLineEdit::editingFinished, this, [commitEdit] { commitEdit(); });
    // New formats: the same value in the new currency or number format.
    connect(&m_context, &EditorContext::formatsChanged, edit, [this, field] { showField(field); });
}

std::function<void()> FieldBinder::bindWidget(QWidget *widget, const QString &field, Adapter adapter)
{
    add(widget, field, std::move(adapter));
    QPointer<QWidget> guarded(widget);
    return [this, guarded] {
        if (!guarded || m_showing)
            return;
        for (const Binding &binding : std::as_const(m_bindings)) {
            if (binding.widget == guarded)
                commit(binding);
        }
    };
}

void FieldBinder::add(QWidget *widget, const QString &field, Adapter adapter)
{
    Q_ASSERT(widget && adapter.show && adapter.read);
    // An unknown field stops the program here, not at the author's first edit.
    (void)m_record.value(field);
    m_bindings.append({widget, field, std::move(adapter)});
    show(m_bindings.last());
}

void FieldBinder::commit(const Binding &binding)
{
    if (m_record.isNull() || !binding.widget)
        return;
    const std::optional<QVariant> entered = binding.adapter.read();
    if (!entered)
        return;
    const QVariant stored = m_record.value(binding.field);
    if (sameValue(stored, *entered))
        return;
    m_context.push(new SetFieldCommand(m_context, this, m_record, binding.field, stored, *entered));
}

void FieldBinder::show(const Binding &binding)
{
    if (!binding.widget)
        return;
    const bool wasShowing = m_showing;
    m_showing = true;
    binding.widget->setEnabled(!m_record.isNull());
    binding.adapter.show(m_record.value(binding.field));
    m_showing = wasShowing;
}

void FieldBinder::showField(const QString &field)
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.field == field)
            show(binding);
    }
}

void FieldBinder::refresh()
{
    m_record = m_source();
    watch();
    for (const Binding &binding : std::as_const(m_bindings))
        show(binding);
}

void FieldBinder::commitAll()
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.widget && binding.widget->isEnabled())
            commit(binding);
    }
}

void FieldBinder::watch()
{
    disconnect(m_watch);
    if (QObject *notifier = m_record.notifier())
        m_watch = connect(notifier, SIGNAL(valueChanged(QString)), this, SLOT(onValueChanged(QString)));
}

void FieldBinder::onValueChanged(const QString &key)
{
    for (const Binding &binding : std::as_const(m_bindings)) {
        if (binding.field.compare(key, Qt::CaseInsensitive) == 0)
            show(binding);
    }
}
