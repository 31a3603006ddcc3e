#pragma once

#include "catalogue/catalogueutil.h"
#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"

#include <QString>
#include <initializer_list>
#include <memory>
#include <tuple>

namespace exchangetest {

using catalogueutil::encodedImage;
using catalogueutil::RegistryTest;

// A product registered under sku.
inline std::shared_ptr<TillboxProduct> product(const QString &sku, const QString &name = QStringLiteral("P"))
{
    auto p = TillboxProduct::create();
    p->setSKU(sku);
    p->setName(name);
    return p;
}

// An option with values given as (name, price, weight).
inline std::shared_ptr<TillboxOption> option(int tag, const QString &name,
                                             std::initializer_list<std::tuple<QString, float, float>> values = {})
{
    auto o = std::make_shared<TillboxOption>();
    o->setOptionTypeTag(tag);
    o->setOptionName(name);
    for (const auto &[valueName, price, weight] : values) {
        auto v = std::make_shared<TillboxOptionValue>();
        v->setOptionValueName(valueName);
        v->setOptionValuePrice(price);
        v->setOptionValueWeight(weight);
        o->optionValuesArray().append(v);
    }
    return o;
}

} // namespace exchangetest
