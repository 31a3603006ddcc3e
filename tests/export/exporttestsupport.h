#pragma once

#include "host/bundle.h"
#include "support/testsupport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

class TillboxPlugin;

// Readable failure messages for QString comparisons in this program.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace exporttest {

// A plug-in bundle over a temporary folder whose files the test writes. The
// strings table and Info.plist are read when the Bundle is made, templates
// and copied files at each use, so those may be (re)written at any time.
class TestBundle
{
public:
    // strings: the body of Localizable.strings. secret: the Sisow secret in
    // Info.plist (none when null).
    explicit TestBundle(const QString &strings = defaultStrings(),
                        const QString &secret = QStringLiteral("00112233445566778899aabbccddeeff00112233"));

    const Bundle &bundle() const { return *m_bundle; }
    QString path() const { return m_dir.path(); }
    void write(const QString &fileName, const QByteArray &content) const;
    void remove(const QString &fileName) const;

    static QString defaultStrings();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Bundle> m_bundle;
};

// A page whose settings read their texts and default layout from bundle.
std::shared_ptr<TillboxPlugin> makePlugin(const Bundle &bundle);

// Encoded 40 x 30 pictures: an opaque JPEG and a PNG with transparent pixels.
inline QByteArray opaqueJpeg() { return testsupport::encodedPicture(40, 30, "jpeg"); }
inline QByteArray transparentPng() { return testsupport::encodedPicture(40, 30, "png", true); }

} // namespace exporttest
