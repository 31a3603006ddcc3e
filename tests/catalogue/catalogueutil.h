#pragma once

#include "catalogue/productregistry.h"
#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace catalogueutil {

// The product registry is reset around every test (support/testmain.cpp);
// fixtures of catalogue records derive from this one.
class RegistryTest : public ::testing::Test
{
};

inline QByteArray encodedImage(int width, int height, const char *format, bool alpha = false)
{
    return testsupport::encodedPicture(width, height, format, alpha);
}

// An option with values given as (name, price, weight).
inline std::shared_ptr<TillboxOption> option(int tag, const QString &name,
                                             const QList<std::tuple<QString, float, float>> &values = {})
{
    auto result = std::make_shared<TillboxOption>();
    result->setOptionTypeTag(tag);
    result->setOptionName(name);
    for (const auto &[valueName, price, weight] : values) {
        auto value = std::make_shared<TillboxOptionValue>();
        value->setOptionValueName(valueName);
        value->setOptionValuePrice(price);
        value->setOptionValueWeight(weight);
        result->optionValuesArray().append(value);
    }
    return result;
}

} // namespace catalogueutil
