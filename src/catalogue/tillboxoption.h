#pragma once

#include "catalogue/tillboxoptionvalue.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <cstdint>
#include <memory>

class KeyedArchiver;
class KeyedUnarchiver;
class RecordFieldTable;

// One option of a product: an input the shopper fills in (one-line or
// multi-line text) or a pick from a list of values.
class TillboxOption
{
public:
    using ValueList = QList<std::shared_ptr<TillboxOptionValue>>;

    // Values of optionTypeTag.
    static constexpr int32_t OneLineTextTag = 10;
    static constexpr int32_t MultiLineTextTag = 15;
    static constexpr int32_t ValueListTag = 20;

    // An empty record (absent name, tag 0, no values), the starting point of
    // loading. Use create() for an option the author adds.
    TillboxOption() = default;

    // A new option: localized "NewProductOption", a value list, no values.
    static std::shared_ptr<TillboxOption> create();
    // A deep copy: the values are copied too, nothing is shared.
    std::shared_ptr<TillboxOption> copy() const;

    const QString &optionName() const { return m_optionName; }
    void setOptionName(const QString &name) { m_optionName = name; }

    int32_t optionTypeTag() const { return m_optionTypeTag; }
    // Also sets hasOptionValues to (tag == ValueListTag); the values are kept.
    void setOptionTypeTag(int32_t tag);

    // The values in display order. The mutable overload lets editors change
    // the list in place.
    const ValueList &optionValuesArray() const { return m_optionValuesArray; }
    ValueList &optionValuesArray() { return m_optionValuesArray; }
    void setOptionValuesArray(const ValueList &values) { m_optionValuesArray = values; }

    bool hasOptionValues() const { return m_hasOptionValues; }
    // Stores plainly; setOptionTypeTag() is what normally keeps it in step.
    void setHasOptionValues(bool hasValues) { m_hasOptionValues = hasValues; }

    // Editors' access by field name (a row of the record's field table):
    // values as RecordField::value() gives them; a store goes through the
    // setter's rules; nothing is announced.
    QVariant fieldValue(QStringView name) const;
    void setFieldValue(QStringView name, const QVariant &value);

    static QStringList archiveClassNames();
    void encodeWithCoder(KeyedArchiver &coder) const;
    static std::shared_ptr<TillboxOption> initWithCoder(KeyedUnarchiver &coder);

    QJsonObject toJson() const;

private:
    static const RecordFieldTable &fieldTable();

    QString m_optionName;
    int32_t m_optionTypeTag = 0;
    ValueList m_optionValuesArray;
    bool m_hasOptionValues = false;
};
