#include "catalogue/tillboxoptionvalue.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "archive/recordfieldtable.h"

// Declaration order is archive order.
const RecordFieldTable &TillboxOptionValue::fieldTable()
{
    static const RecordFieldTable table({
        {"optionValueName", "OptionValueName", ValueKind::Object, FIELD_SLOT(TillboxOptionValue, m_optionValueName)},
        {"optionValuePrice", "OptionValuePrice", ValueKind::FloatNumber,
         FIELD_SLOT(TillboxOptionValue, m_optionValuePrice)},
        {"optionValueWeight", "OptionValueWeight", ValueKind::FloatNumber,
         FIELD_SLOT(TillboxOptionValue, m_optionValueWeight)},
    });
    return table;
}

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::create()
{
    auto value = std::make_shared<TillboxOptionValue>();
    value->setOptionValueName(Bundle::plugin().localizedString(QStringLiteral("NewOptionValue")));
    return value;
}

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::copy() const
{
    auto value = std::make_shared<TillboxOptionValue>();
    fieldTable().copyFields(this, value.get());
    return value;
}

QStringList TillboxOptionValue::archiveClassNames()
{
    return {QStringLiteral("TillboxOptionValue"), QStringLiteral("NSObject")};
}

void TillboxOptionValue::encodeWithCoder(KeyedArchiver &coder) const
{
    fieldTable().encode(coder, this);
}

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::initWithCoder(KeyedUnarchiver &coder)
{
    auto value = std::make_shared<TillboxOptionValue>();
    fieldTable().decode(coder, value.get());
    return value;
}

QJsonObject TillboxOptionValue::toJson() const
{
    return fieldTable().toJson(this);
}

QVariant TillboxOptionValue::fieldValue(QStringView name) const
{
    return fieldTable().byName(name).value(this);
}

void TillboxOptionValue::setFieldValue(QStringView name, const QVariant &value)
{
    const RecordField &row = fieldTable().byName(name);
    row.store(this, value);
}
