#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <memory>

class KeyedArchiver;
class KeyedUnarchiver;
class RecordFieldTable;

// One value of a list option: its text and what picking it adds to the
// product's price and weight.
class TillboxOptionValue
{
public:
    // An empty record (absent name, zero price and weight), the starting
    // point of loading. Use create() for a value the author adds.
    TillboxOptionValue() = default;

    // A new value named by the localized text of "NewOptionValue".
    static std::shared_ptr<TillboxOptionValue> create();
    std::shared_ptr<TillboxOptionValue> copy() const;

    const QString &optionValueName() const { return m_optionValueName; }
    void setOptionValueName(const QString &name) { m_optionValueName = name; }
    // Added to the product's price; may be negative.
    float optionValuePrice() const { return m_optionValuePrice; }
    void setOptionValuePrice(float price) { m_optionValuePrice = price; }
    float optionValueWeight() const { return m_optionValueWeight; }
    void setOptionValueWeight(float weight) { m_optionValueWeight = weight; }

    // Editors' access by field name (a row of the record's field table):
    // values as RecordField::value() gives them; a store goes through the
    // setter's rules; nothing is announced.
    QVariant fieldValue(QStringView name) const;
    void setFieldValue(QStringView name, const QVariant &value);

    static QStringList archiveClassNames();
    void encodeWithCoder(KeyedArchiver &coder) const;
    static std::shared_ptr<TillboxOptionValue> initWithCoder(KeyedUnarchiver &coder);

    QJsonObject toJson() const;

private:
    static const RecordFieldTable &fieldTable();

    QString m_optionValueName;
    float m_optionValuePrice = 0;
    float m_optionValueWeight = 0;
};
