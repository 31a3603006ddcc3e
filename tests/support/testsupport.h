#pragma once

#include "archive/keyedarchiver.h"
#include "util/color.h"

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QString>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace testsupport {

// Empties the process-wide product registry before and after every test.
void freshRegistryForEachTest();

// Folder of committed test inputs (tests/data).
QString dataPath(const QString &relative);
QByteArray readFile(const QString &path);
// Writes bytes to a file; fails the current test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);

// An opaque colour written as 0xRRGGBB.
inline Color hexColor(unsigned rgb)
{
    return Color(((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

// A smooth picture with some structure, so that scaling errors show: a
// diagonal colour gradient. With alpha, the left half fades out and the
// top-left quarter is fully transparent.
QImage samplePicture(int width, int height, bool alpha = false);
QByteArray encoded(const QImage &image, const char *format, int quality = -1,
                   QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone);
inline QByteArray encodedPicture(int width, int height, const char *format, bool alpha = false,
                                 QImageIOHandler::Transformations transformation = QImageIOHandler::TransformationNone)
{
    return encoded(samplePicture(width, height, alpha), format, -1, transformation);
}

// A stored record that writes only the keys a test gives it, under the class
// names of the record it stands in for: what other versions wrote, or damage.
template <class Stands>
struct StoredAs
{
    std::function<void(KeyedArchiver &)> write;
    static QStringList archiveClassNames() { return Stands::archiveClassNames(); }
    void encodeWithCoder(KeyedArchiver &coder) const { write(coder); }
};
template <class Stands>
QByteArray storedArchive(std::function<void(KeyedArchiver &)> write)
{
    return KeyedArchiver::archivedData(StoredAs<Stands>{std::move(write)});
}

// The archive's root object; fails the test when it does not open or decode.
template <class T>
std::shared_ptr<T> unarchive(const QByteArray &data)
{
    KeyedUnarchiver coder;
    EXPECT_TRUE(coder.open(data)) << qPrintable(coder.errorString());
    auto object = coder.decodeRootObject<T>();
    EXPECT_FALSE(coder.hasError()) << qPrintable(coder.errorString());
    return object;
}

} // namespace testsupport
