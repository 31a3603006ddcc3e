#include "editor/optionspane.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/optiontablemodel.h"
#include "editor/optionvaluetablemodel.h"
#include "editor/recordtableview.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

QHBoxLayout *addRemoveButtons(QWidget *parent, const QString &what, QPushButton **add, QPushButton **remove)
{
    auto *row = new QHBoxLayout;
    *add = new QPushButton(QObject::tr("+"), parent);
    (*add)->setAccessibleName(QObject::tr("Add %1").arg(what));
    (*add)->setToolTip(QObject::tr("Add %1").arg(what));
    *remove = new QPushButton(QObject::tr("\u2212"), parent);
    (*remove)->setAccessibleName(QObject::tr("Remove %1").arg(what));
    (*remove)->setToolTip(QObject::tr("Remove the selected %1").arg(what));
    for (QPushButton *button : {*add, *remove}) {
        button->setMaximumWidth(40);
        row->addWidget(button);
    }
    row->addStretch();
    return row;
}

} // namespace

OptionsPane::OptionsPane(EditorContext &context, QWidget *parent)
    : QWidget(parent), m_context(context), m_options(new OptionTableModel(context, this)),
      m_values(new OptionValueTableModel(context, this))
{
    m_optionBinder = new FieldBinder(context, [this] { return BoundRecord(m_options->selectedOption()); }, this);
    m_valueBinder = new FieldBinder(context, [this] { return BoundRecord(m_values->selectedValue()); }, this);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(buildOptions(), 1);
    m_valuesBox = buildValues();
    layout->addWidget(m_valuesBox, 1);

    connect(m_options, &RecordListModel::selectionIndexChanged, this, &OptionsPane::showOption);
    connect(m_values, &RecordListModel::selectionIndexChanged, this, &OptionsPane::showValue);
    connect(&context.plugin().productController(), &ProductController::keyPathChanged, this,
            [this](const QString &path) {
                if (path == QLatin1String("selectionIndex"))
                    showProduct();
            });
    // Options and values announce nothing themselves: after every step the
    // tables and fields read them again.
    connect(context.undoStack(), &QUndoStack::indexChanged, this, &OptionsPane::refresh);
    connect(&context, &EditorContext::commitRequested, this, [this] {
        m_optionBinder->commitAll();
        m_valueBinder->commitAll();
    });
    showProduct();
}

QGroupBox *OptionsPane::buildOptions()
{
    auto *box = new QGroupBox(tr("Options"), this);
    auto *layout = new QVBoxLayout(box);
    m_optionsTable = new RecordTableView(box);
    m_optionsTable->setObjectName(QStringLiteral("optionsTableView"));
    m_optionsTable->setAccessibleName(tr("Options of the product"));
    m_optionsTable->setRecordModel(m_options);
    layout->addWidget(m_optionsTable, 1);
    QPushButton *remove = nullptr;
    layout->addLayout(addRemoveButtons(box, tr("option"), &m_addOption, &remove));
    connect(m_addOption, &QPushButton::clicked, this, &OptionsPane::addOption);
    connect(remove, &QPushButton::clicked, this, &OptionsPane::removeOption);

    auto *form = new QFormLayout;
    auto *name = new QLineEdit(box);
    name->setObjectName(QStringLiteral("optionNameField"));
    bindName(*m_optionBinder, name, QStringLiteral("optionName"));
    form->addRow(tr("&Name:"), name);
    auto *type = new QComboBox(box);
    type->setObjectName(QStringLiteral("optionTypePopUp"));
    type->addItem(tr("One-line text"), TillboxOption::OneLineTextTag);
    type->addItem(tr("Multi-line text"), TillboxOption::MultiLineTextTag);
    type->addItem(tr("List of values"), TillboxOption::ValueListTag);
    m_optionBinder->bind(type, QStringLiteral("optionTypeTag"));
    form->addRow(tr("&Type:"), type);
    layout->addLayout(form);
    return box;
}

QGroupBox *OptionsPane::buildValues()
{
    auto *box = new QGroupBox(tr("Values"), this);
    auto *layout = new QVBoxLayout(box);
    m_valuesTable = new RecordTableView(box);
    m_valuesTable->setObjectName(QStringLiteral("optionValuesTableView"));
    m_valuesTable->setAccessibleName(tr("Values of the option"));
    m_valuesTable->setRecordModel(m_values);
    layout->addWidget(m_valuesTable, 1);
    QPushButton *add = nullptr;
    QPushButton *remove = nullptr;
    layout->addLayout(addRemoveButtons(box, tr("value"), &add, &remove));
    connect(add, &QPushButton::clicked, this, &OptionsPane::addOptionValue);
    connect(remove, &QPushButton::clicked, this, &OptionsPane::removeOptionValue);

    auto *form = new QFormLayout;
    auto *name = new QLineEdit(box);
    name->setObjectName(QStringLiteral("optionValueNameField"));
    bindName(*m_valueBinder, name, QStringLiteral("optionValueName"));
    form->addRow(tr("N&ame:"), name);
    auto *price = new QLineEdit(box);
    price->setObjectName(QStringLiteral("optionValuePriceField"));
    m_valueBinder->bindNumber(price, QStringLiteral("optionValuePrice"), FieldBinder::NumberRole::OptionPrice);
    form->addRow(tr("&Price:"), price);
    auto *weight = new QLineEdit(box);
    weight->setObjectName(QStringLiteral("optionValueWeightField"));
    m_valueBinder->bindNumber(weight, QStringLiteral("optionValueWeight"), FieldBinder::NumberRole::SignedWeight);
    form->addRow(tr("&Weight:"), weight);
    layout->addLayout(form);
    return box;
}

void OptionsPane::bindName(FieldBinder &binder, QLineEdit *edit, const QString &field)
{
    // A name is never empty: an emptied field shows the stored name again.
    const auto commit = binder.bindWidget(
        edit, field,
        {[edit](const QVariant &value) { edit->setText(value.toString()); },
         [edit]() -> std::optional<QVariant> {
             return edit->text().isEmpty() ? std::nullopt : std::optional<QVariant>(edit->text());
         }});
    connect(edit, &QLineEdit::editingFinished, this, [&binder, edit, field, commit] {
        if (edit->text().isEmpty())
            binder.showField(field);
        else
            commit();
    });
}

void OptionsPane::addOption()
{
    m_options->addOption();
}

void OptionsPane::removeOption()
{
    m_options->removeOptions(m_optionsTable->selectedRows());
}

void OptionsPane::addOptionValue()
{
    m_values->addValue();
}

void OptionsPane::removeOptionValue()
{
    m_values->removeValues(m_valuesTable->selectedRows());
}

void OptionsPane::showProduct()
{
    const auto product = m_context.plugin().productController().selectedProduct();
    m_options->setProduct(product);
    m_addOption->setEnabled(product != nullptr);
    showOption();
}

void OptionsPane::showOption()
{
    const auto option = m_options->selectedOption();
    m_values->setOption(option);
    m_optionBinder->refresh();
    m_valuesBox->setEnabled(option && option->optionTypeTag() == TillboxOption::ValueListTag);
    showValue();
}

void OptionsPane::showValue()
{
    m_valueBinder->refresh();
}

void OptionsPane::refresh()
{
    m_options->refreshRows();
    m_values->refreshRows();
    showOption();
}
