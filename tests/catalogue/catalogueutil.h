#pragma once

#include "catalogue/productregistry.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

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

} // namespace catalogueutil
