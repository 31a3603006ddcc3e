#include "catalogue/tillboxoptionvalue.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "util/jsonvalues.h"

namespace {
constexpr char kName[] = "OptionValueName";
constexpr char kPrice[] = "OptionValuePrice";
constexpr char kWeight[] = "OptionValueWeight";
} // namespace

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::create()
{
    auto value = std::make_shared<TillboxOptionValue>();
    value->setOptionValueName(Bundle::plugin().localizedString(QStringLiteral("NewOptionValue")));
    return value;
}

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::copy() const
{
    auto value = create();
    value->setOptionValueName(m_optionValueName);
    value->setOptionValuePrice(m_optionValuePrice);
    value->setOptionValueWeight(m_optionValueWeight);
    return value;
}

QStringList TillboxOptionValue::archiveClassNames()
{
    return {QStringLiteral("TillboxOptionValue"), QStringLiteral("NSObject")};
}

void TillboxOptionValue::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(kName, m_optionValueName);
    coder.encodeFloatNumber(kPrice, m_optionValuePrice);
    coder.encodeFloatNumber(kWeight, m_optionValueWeight);
}

std::shared_ptr<TillboxOptionValue> TillboxOptionValue::initWithCoder(KeyedUnarchiver &coder)
{
    auto value = std::make_shared<TillboxOptionValue>();
    value->setOptionValueName(coder.decodeString(kName));
    value->setOptionValuePrice(coder.decodeFloat(kPrice));
    value->setOptionValueWeight(coder.decodeFloat(kWeight));
    return value;
}

QJsonObject TillboxOptionValue::toJson() const
{
    return {
        {QStringLiteral("optionValueName"), JsonValues::fromString(m_optionValueName)},
        {QStringLiteral("optionValuePrice"), JsonValues::fromFloat(m_optionValuePrice)},
        {QStringLiteral("optionValueWeight"), JsonValues::fromFloat(m_optionValueWeight)},
    };
}
