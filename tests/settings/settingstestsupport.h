#pragma once

#include "archive/keyedarchiver.h"
#include "host/bundle.h"
#include "settings/tillboxglobalsettings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace settingstest {

// A plug-in bundle over a temporary folder, so results do not depend on the
// shipped strings table or templates.
class TestBundle
{
public:
    // strings: text key -> translation; templates: resource name -> html text.
    explicit TestBundle(const QMap<QString, QString> &strings = standardStrings(),
                        const QMap<QString, QString> &templates = standardTemplates());

    const Bundle &bundle() const { return *m_bundle; }

    static QMap<QString, QString> standardStrings();
    static QMap<QString, QString> standardTemplates();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Bundle> m_bundle;
};

// A settings record as older versions stored it: just the entries the test gives.
QByteArray archiveOldSettings(const std::function<void(KeyedArchiver &)> &write);
// Decodes the root settings record with the given bundle; fails the test when
// the archive does not open or decode.
std::shared_ptr<TillboxGlobalSettings> decodeSettings(const QByteArray &archive, const Bundle &bundle);
// How an entry of an archived object is stored: a reference to an object
// (number objects included), or one of the archive's inline entries.
enum class EntryForm { Reference, InlineBool, InlineInteger, Other };

// The entries of the archive's root object (without "$class").
QMap<QString, EntryForm> rootObjectEntries(const QByteArray &archive);
QSet<QString> rootObjectKeySet(const QByteArray &archive);

// Fails for each value of expected (JSON object text) that differs from the
// one actual holds under its key; objects are compared key by key the same way,
// and null also matches a missing dictionary entry.
void expectJsonSubset(const QJsonObject &actual, const char *expected);

// Appends every key the record announces to into (which must outlive it).
template <class Record>
void collectChanges(Record &record, QStringList &into)
{
    QObject::connect(&record, &Record::valueChanged, [&into](const QString &key) { into.append(key); });
}

} // namespace settingstest
