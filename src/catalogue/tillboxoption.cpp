#include "catalogue/tillboxoption.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "archive/recordfieldtable.h"

#include <QJsonArray>

// Declaration order is archive order.
const RecordFieldTable &TillboxOption::fieldTable()
{
    static const RecordFieldTable table({
        {"optionName", "OptionName", ValueKind::Object, FIELD_SLOT(TillboxOption, m_optionName)},
        // Through the setter, so that the flag follows the tag.
        notCopied(migrated(
            {"optionTypeTag", "OptionTypeTag", ValueKind::IntNumber, FIELD_SLOT(TillboxOption, m_optionTypeTag)})),
        {"optionValuesArray", "OptionValuesArray", ValueKind::Object,
         OBJECT_SLOT(TillboxOption, m_optionValuesArray, objectListFieldOps<TillboxOptionValue>())},
        notCopied({"hasOptionValues", nullptr, ValueKind::NotArchived, FIELD_SLOT(TillboxOption, m_hasOptionValues)}),
    });
    return table;
}

std::shared_ptr<TillboxOption> TillboxOption::create()
{
    auto option = std::make_shared<TillboxOption>();
    option->setOptionName(Bundle::plugin().localizedString(QStringLiteral("NewProductOption")));
    option->setOptionTypeTag(ValueListTag);
    option->setOptionValuesArray({});
    return option;
}

std::shared_ptr<TillboxOption> TillboxOption::copy() const
{
    auto option = std::make_shared<TillboxOption>();
    fieldTable().copyFields(this, option.get());
    // The copy's flag follows the tag, not the source's flag.
    option->setOptionTypeTag(m_optionTypeTag);
    return option;
}

void TillboxOption::setOptionTypeTag(int32_t tag)
{
    m_optionTypeTag = tag;
    m_hasOptionValues = tag == ValueListTag;
}

QStringList TillboxOption::archiveClassNames()
{
    return {QStringLiteral("TillboxOption"), QStringLiteral("NSObject")};
}

void TillboxOption::encodeWithCoder(KeyedArchiver &coder) const
{
    fieldTable().encode(coder, this);
}

std::shared_ptr<TillboxOption> TillboxOption::initWithCoder(KeyedUnarchiver &coder)
{
    auto option = std::make_shared<TillboxOption>();
    fieldTable().decode(coder, option.get());
    option->setOptionTypeTag(coder.decodeInt32("OptionTypeTag"));
    return option;
}

QJsonObject TillboxOption::toJson() const
{
    return fieldTable().toJson(this);
}

QVariant TillboxOption::fieldValue(QStringView name) const
{
    return fieldTable().byName(name).value(this);
}

void TillboxOption::setFieldValue(QStringView name, const QVariant &value)
{
    if (name == u"optionTypeTag")
        return setOptionTypeTag(value.toInt());
    const RecordField &row = fieldTable().byName(name);
    row.store(this, value);
}
