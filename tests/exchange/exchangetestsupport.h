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

using catalogueutil::option;

} // namespace exchangetest
