#include "catalogue/tillboxoption.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "util/jsonvalues.h"

#include <QJsonArray>

namespace {
constexpr char kName[] = "OptionName";
constexpr char kTypeTag[] = "OptionTypeTag";
constexpr char kValues[] = "OptionValuesArray";
} // namespace

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
    auto option = create();
    option->setOptionName(m_optionName);
    // Through the setter, so the copy's flag follows the tag, not the source's flag.
    option->setOptionTypeTag(m_optionTypeTag);
    ValueList values;
    values.reserve(m_optionValuesArray.size());
    for (const auto &value : m_optionValuesArray) {
        if (value)
            values.append(value->copy());
    }
    option->setOptionValuesArray(values);
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
    coder.encodeString(kName, m_optionName);
    coder.encodeIntNumber(kTypeTag, m_optionTypeTag);
    coder.encodeObjectList(kValues, m_optionValuesArray);
}

std::shared_ptr<TillboxOption> TillboxOption::initWithCoder(KeyedUnarchiver &coder)
{
    auto option = std::make_shared<TillboxOption>();
    option->setOptionName(coder.decodeString(kName));
    option->setOptionTypeTag(coder.decodeInt32(kTypeTag));
    // A missing list reads as an empty one, so values the author adds later
    // have a list to go into.
    option->setOptionValuesArray(coder.decodeObjectList<TillboxOptionValue>(kValues).value_or(ValueList()));
    return option;
}

QJsonObject TillboxOption::toJson() const
{
    QJsonArray values;
    for (const auto &value : m_optionValuesArray)
        values.append(value ? QJsonValue(value->toJson()) : QJsonValue(QJsonValue::Null));
    return {
        {QStringLiteral("optionName"), JsonValues::fromString(m_optionName)},
        {QStringLiteral("optionTypeTag"), m_optionTypeTag},
        {QStringLiteral("optionValuesArray"), values},
        {QStringLiteral("hasOptionValues"), m_hasOptionValues},
    };
}
