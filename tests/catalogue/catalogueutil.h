#pragma once

#include "archive/keyedarchiver.h"
#include "catalogue/productregistry.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace catalogueutil {

inline QByteArray encodedImage(int width, int height, const char *format, bool alpha = false,
                               QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? QColor(200, 30, 30, 120) : QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setTransformation(transformation);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}

// An archived object of a stored class that writes only the keys a test
// gives it, to stand in for pages written by older versions.
template <const char *ClassName>
struct StoredRecord
{
    std::function<void(KeyedArchiver &)> write;
    static QStringList archiveClassNames() { return {QString::fromLatin1(ClassName), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver &coder) const { write(coder); }
};
inline constexpr char kProductClass[] = "TillboxProduct";
inline constexpr char kOptionClass[] = "TillboxOption";
using StoredProduct = StoredRecord<kProductClass>;
using StoredOption = StoredRecord<kOptionClass>;

template <class Stored>
QByteArray archiveOf(std::function<void(KeyedArchiver &)> write)
{
    return KeyedArchiver::archivedData(Stored{std::move(write)});
}

template <class T>
std::shared_ptr<T> unarchive(const QByteArray &data)
{
    KeyedUnarchiver coder;
    EXPECT_TRUE(coder.open(data)) << qPrintable(coder.errorString());
    auto object = coder.decodeRootObject<T>();
    EXPECT_FALSE(coder.hasError()) << qPrintable(coder.errorString());
    return object;
}

template <class T>
std::shared_ptr<T> roundTrip(const T &object)
{
    return unarchive<T>(KeyedArchiver::archivedData(object));
}

// Every test starts in a fresh process as far as the registry goes, with a
// plug-in already constructed (so SKUs are recorded).
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProductRegistry::resetForTesting();
        ProductRegistry::ensureAllProductsTable();
    }
    void TearDown() override { ProductRegistry::resetForTesting(); }
};

} // namespace catalogueutil
