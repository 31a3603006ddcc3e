#pragma once

#include <QWidget>

class EditorContext;
class FieldBinder;
class OptionTableModel;
class OptionValueTableModel;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class RecordTableView;

// The selected product's options and the selected option's values, with their fields.
class OptionsPane : public QWidget
{
    Q_OBJECT

public:
    explicit OptionsPane(EditorContext &context, QWidget *parent = nullptr);

    void addOption();
    void removeOption();
    void addOptionValue();
    void removeOptionValue();

    RecordTableView *optionsTable() const { return m_optionsTable; }
    RecordTableView *valuesTable() const { return m_valuesTable; }
    OptionTableModel *options() const { return m_options; }
    OptionValueTableModel *values() const { return m_values; }
    FieldBinder &optionFields() const { return *m_optionBinder; }
    FieldBinder &valueFields() const { return *m_valueBinder; }

private:
    QGroupBox *buildOptions();
    QGroupBox *buildValues();
    void bindName(FieldBinder &binder, QLineEdit *edit, const QString &field);
    void showProduct();
    void showOption();
    void showValue();
    void refresh();

    EditorContext &m_context;
    OptionTableModel *m_options;
    OptionValueTableModel *m_values;
    FieldBinder *m_optionBinder;
    FieldBinder *m_valueBinder;
    RecordTableView *m_optionsTable = nullptr;
    RecordTableView *m_valuesTable = nullptr;
    QGroupBox *m_valuesBox = nullptr;
    QPushButton *m_addOption = nullptr;
};
