#include "catalogue/tillboxproductoption.h"

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "util/jsonvalues.h"

namespace {
constexpr char kName[] = "OptionName";
constexpr char kPrice[] = "OptionPrice";
} // namespace

std::shared_ptr<TillboxProductOption> TillboxProductOption::create()
{
    auto option = std::make_shared<TillboxProductOption>();
    option->setOptionName(Bundle::plugin().localizedString(QStringLiteral("NewProductOption")));
    return option;
}

std::shared_ptr<TillboxProductOption> TillboxProductOption::copy() const
{
    auto option = create();
    option->setOptionName(m_optionName);
    option->setOptionPrice(m_optionPrice);
    return option;
}

QStringList TillboxProductOption::archiveClassNames()
{
    return {QStringLiteral("TillboxProductOption"), QStringLiteral("NSObject")};
}

void TillboxProductOption::encodeWithCoder(KeyedArchiver &coder) const
{
    coder.encodeString(kName, m_optionName);
    coder.encodeFloatNumber(kPrice, m_optionPrice);
}

std::shared_ptr<TillboxProductOption> TillboxProductOption::initWithCoder(KeyedUnarchiver &coder)
{
    auto option = std::make_shared<TillboxProductOption>();
    option->setOptionName(coder.decodeString(kName));
    option->setOptionPrice(coder.decodeFloat(kPrice));
    return option;
}

QJsonObject TillboxProductOption::toJson() const
{
    return {
        {QStringLiteral("optionName"), JsonValues::fromString(m_optionName)},
        {QStringLiteral("optionPrice"), JsonValues::fromFloat(m_optionPrice)},
    };
}
