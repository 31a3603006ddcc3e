#include "host/sitedocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include <plist/plist.h>

#include <cstdint>
#include <memory>

namespace {

// The file's keys, read and written only through these names.
constexpr const char *kSiteNameKey = "SiteName";
constexpr const char *kPagesKey = "Pages";
constexpr const char *kUniqueIDKey = "UniqueID";
constexpr const char *kTitleKey = "Title";
constexpr const char *kLocationKey = "Location";
constexpr const char *kFileNameKey = "FileName";
constexpr const char *kPluginDataKey = "PluginData";

const QString kDefaultFileName = QStringLiteral("index.html");

struct PlistFree
{
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPointer = std::unique_ptr<void, PlistFree>;

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString quotedKey(const char *key)
{
    return quoted(QString::fromLatin1(key));
}

QString displayPath(const QString &path)
{
    return quoted(QDir::toNativeSeparators(path));
}

QString pageLabel(qsizetype index, const QString &uniqueID)
{
    QString label = QStringLiteral("page %1").arg(index + 1);
    if (!uniqueID.isEmpty())
        label += QStringLiteral(" (%1)").arg(quoted(uniqueID));
    return label;
}

bool hasNul(const QString &text)
{
    return text.contains(QChar(u'\0'));
}

// A single folder or file name: no separators, not "." or "..".
bool isPlainName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !hasNul(name);
}

// Why the site name cannot be stored; null when it can. Pages are written
// below a folder of this name, so it must not climb out of or into folders.
QString siteNameProblem(const QString &name)
{
    if (name.isEmpty() || isPlainName(name))
        return QString();
    return QStringLiteral("%1 %2 is not a plain folder name")
        .arg(quotedKey(kSiteNameKey), quoted(name));
}

// Why the page cannot be stored; null when it can. Location and file name
// become paths when the site is written, so they must stay inside the site.
QString pageProblem(const SitePage &page)
{
    if (page.uniqueID.isEmpty())
        return QStringLiteral("%1 is empty").arg(quotedKey(kUniqueIDKey));
    if (hasNul(page.uniqueID))
        return QStringLiteral("%1 contains a NUL character").arg(quotedKey(kUniqueIDKey));
    if (hasNul(page.title))
        return QStringLiteral("%1 contains a NUL character").arg(quotedKey(kTitleKey));
    if (!page.location.isEmpty()) {
        const QStringList folders = page.location.split(QLatin1Char('/'));
        for (const QString &folder : folders) {
            if (!isPlainName(folder))
                return QStringLiteral("%1 %2 is not a folder path below the site root")
                    .arg(quotedKey(kLocationKey), quoted(page.location));
        }
    }
    if (!isPlainName(page.fileName))
        return QStringLiteral("%1 %2 is not a plain file name")
            .arg(quotedKey(kFileNameKey), quoted(page.fileName));
    return QString();
}

QString stringOf(plist_t node)
{
    uint64_t length = 0;
    const char *text = plist_get_string_ptr(node, &length);
    // A string that is present stays non-null, even when empty.
    if (!text || length == 0)
        return QStringLiteral("");
    return QString::fromUtf8(text, qsizetype(length));
}

QByteArray dataOf(plist_t node)
{
    uint64_t length = 0;
    const char *bytes = plist_get_data_ptr(node, &length);
    if (!bytes || length == 0)
        return QByteArray("");
    return QByteArray(bytes, qsizetype(length));
}

// Reads an optional string entry: absent leaves *value alone.
bool readString(plist_t dict, const char *key, bool required, QString *value, QString *reason)
{
    const plist_t node = plist_dict_get_item(dict, key);
    if (!node) {
        if (required)
            *reason = QStringLiteral("%1 is missing").arg(quotedKey(key));
        return !required;
    }
    if (plist_get_node_type(node) != PLIST_STRING) {
        *reason = QStringLiteral("%1 is not a string").arg(quotedKey(key));
        return false;
    }
    *value = stringOf(node);
    return true;
}

bool readPage(plist_t node, qsizetype index, SitePage *page, QString *reason)
{
    if (plist_get_node_type(node) != PLIST_DICT) {
        *reason = QStringLiteral("%1 is not a dictionary").arg(pageLabel(index, QString()));
        return false;
    }
    QString problem;
    if (!readString(node, kUniqueIDKey, true, &page->uniqueID, &problem)
        || !readString(node, kTitleKey, false, &page->title, &problem)
        || !readString(node, kLocationKey, true, &page->location, &problem)
        || !readString(node, kFileNameKey, false, &page->fileName, &problem)) {
        *reason = pageLabel(index, page->uniqueID) + QLatin1String(": ") + problem;
        return false;
    }
    if (const plist_t data = plist_dict_get_item(node, kPluginDataKey)) {
        if (plist_get_node_type(data) != PLIST_DATA) {
            *reason = QStringLiteral("%1: %2 is not data")
                          .arg(pageLabel(index, page->uniqueID), quotedKey(kPluginDataKey));
            return false;
        }
        page->pluginData = dataOf(data);
    }
    problem = pageProblem(*page);
    if (!problem.isNull()) {
        *reason = pageLabel(index, page->uniqueID) + QLatin1String(": ") + problem;
        return false;
    }
    return true;
}

// Parses the file's bytes; on failure returns false with the reason (without
// the file name).
bool parseDocument(const QByteArray &bytes, QString *siteName, QList<SitePage> *pages,
                   QString *reason)
{
    if (bytes.size() > qsizetype(UINT32_MAX)) {
        *reason = QStringLiteral("the file is too large");
        return false;
    }
    if (!bytes.startsWith("bplist")) {
        *reason = QStringLiteral("it is not a binary property list");
        return false;
    }
    plist_t parsed = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &parsed);
    const PlistPointer root(parsed);
    if (!root) {
        *reason = QStringLiteral("the property list is damaged or truncated");
        return false;
    }
    if (plist_get_node_type(root.get()) != PLIST_DICT) {
        *reason = QStringLiteral("the property list does not hold a dictionary");
        return false;
    }

    QString name;
    if (!readString(root.get(), kSiteNameKey, true, &name, reason))
        return false;
    if (const QString problem = siteNameProblem(name); !problem.isNull()) {
        *reason = problem;
        return false;
    }

    const plist_t array = plist_dict_get_item(root.get(), kPagesKey);
    if (!array) {
        *reason = QStringLiteral("%1 is missing").arg(quotedKey(kPagesKey));
        return false;
    }
    if (plist_get_node_type(array) != PLIST_ARRAY) {
        *reason = QStringLiteral("%1 is not an array").arg(quotedKey(kPagesKey));
        return false;
    }
    QList<SitePage> read;
    const uint32_t count = plist_array_get_size(array);
    for (uint32_t i = 0; i < count; ++i) {
        SitePage page;
        if (!readPage(plist_array_get_item(array, i), i, &page, reason))
            return false;
        for (qsizetype other = 0; other < read.size(); ++other) {
            if (read.at(other).uniqueID == page.uniqueID) {
                *reason = QStringLiteral("%1: %2 is also used by page %3")
                              .arg(pageLabel(i, page.uniqueID), quotedKey(kUniqueIDKey))
                              .arg(other + 1);
                return false;
            }
        }
        read.append(page);
    }
    *siteName = name;
    *pages = read;
    return true;
}

// Reads and parses the file; on failure returns false with the reason.
bool readDocument(const QString &path, QString *siteName, QList<SitePage> *pages, QString *reason)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *reason = QStringLiteral("the file does not exist");
        return false;
    }
    if (info.isDir()) {
        *reason = QStringLiteral("it is a folder, not a file");
        return false;
    }
    if (info.size() > qint64(UINT32_MAX)) {
        *reason = QStringLiteral("the file is too large");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = QStringLiteral("it cannot be opened (%1)").arg(file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *reason = QStringLiteral("it cannot be read (%1)").arg(file.errorString());
        return false;
    }
    return parseDocument(bytes, siteName, pages, reason);
}

void setString(plist_t dict, const char *key, const QString &value)
{
    plist_dict_set_item(dict, key, plist_new_string(value.toUtf8().constData()));
}

PlistPointer pageNode(const SitePage &page)
{
    PlistPointer dict(plist_new_dict());
    setString(dict.get(), kUniqueIDKey, page.uniqueID);
    // A null title or plug-in data is left out, so that it reads back null.
    if (!page.title.isNull())
        setString(dict.get(), kTitleKey, page.title);
    setString(dict.get(), kLocationKey, page.location);
    setString(dict.get(), kFileNameKey, page.fileName);
    if (!page.pluginData.isNull())
        plist_dict_set_item(dict.get(), kPluginDataKey,
                            plist_new_data(page.pluginData.constData(),
                                           uint64_t(page.pluginData.size())));
    return dict;
}

bool setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

std::optional<SitePage> SiteDocument::pageFromUniqueID(const QString &uniqueID) const
{
    const qsizetype index = indexOf(uniqueID);
    if (index < 0)
        return std::nullopt;
    return m_pages.at(index);
}

bool SiteDocument::addPage(const SitePage &page, QString *error)
{
    if (const QString problem = pageProblem(page); !problem.isNull())
        return setError(error, QStringLiteral("Cannot add the page: %1.").arg(problem));
    if (indexOf(page.uniqueID) >= 0)
        return setError(error, QStringLiteral("Cannot add the page: %1 %2 is already in use.")
                                   .arg(quotedKey(kUniqueIDKey), quoted(page.uniqueID)));
    m_pages.append(page);
    return true;
}

bool SiteDocument::updatePage(const SitePage &page, QString *error)
{
    const qsizetype index = indexOf(page.uniqueID);
    if (index < 0)
        return setError(error, QStringLiteral("Cannot update the page: no page has %1 %2.")
                                   .arg(quotedKey(kUniqueIDKey), quoted(page.uniqueID)));
    if (const QString problem = pageProblem(page); !problem.isNull())
        return setError(error, QStringLiteral("Cannot update the page: %1.").arg(problem));
    m_pages[index] = page;
    return true;
}

bool SiteDocument::removePage(const QString &uniqueID)
{
    const qsizetype index = indexOf(uniqueID);
    if (index < 0)
        return false;
    m_pages.removeAt(index);
    return true;
}

QString SiteDocument::newUniqueID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool SiteDocument::load(const QString &path, QString *error)
{
    QString siteName;
    QList<SitePage> pages;
    QString reason;
    // Read into locals first: a failed load must not leave half a site behind.
    if (!readDocument(path, &siteName, &pages, &reason))
        return setError(error, QStringLiteral("Cannot read the site document %1: %2.")
                                   .arg(displayPath(path), reason));
    m_siteName = siteName;
    m_pages = pages;
    return true;
}

bool SiteDocument::save(const QString &path, QString *error) const
{
    const auto failure = [&](const QString &reason) {
        return setError(error, QStringLiteral("Cannot save the site document %1: %2.")
                                   .arg(displayPath(path), reason));
    };

    if (const QString problem = siteNameProblem(m_siteName); !problem.isNull())
        return failure(problem);
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (const QString problem = pageProblem(m_pages.at(i)); !problem.isNull())
            return failure(pageLabel(i, m_pages.at(i).uniqueID) + QLatin1String(": ") + problem);
    }

    // Whatever sits at the path must be a site document we can read: a damaged
    // one may still be rescued by hand, and a different file is not ours to
    // replace.
    if (QFileInfo::exists(path)) {
        QString siteName;
        QList<SitePage> pages;
        QString reason;
        if (!readDocument(path, &siteName, &pages, &reason))
            return failure(QStringLiteral("the existing file is not a readable site document (%1) "
                                          "and was left untouched")
                               .arg(reason));
    }

    const QByteArray bytes = data();
    if (bytes.isEmpty())
        return failure(QStringLiteral("the site could not be encoded as a property list"));

    QSaveFile file(path);
    // Never fall back to writing the target in place: that is what could
    // leave a half-written document behind.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return failure(QStringLiteral("the new file cannot be created (%1)").arg(file.errorString()));
    if (file.write(bytes) != bytes.size())
        return failure(QStringLiteral("the new file cannot be written (%1)").arg(file.errorString()));
    if (!file.commit())
        return failure(QStringLiteral("the new file cannot replace the old one (%1)")
                           .arg(file.errorString()));
    return true;
}

bool SiteDocument::loadData(const QByteArray &bytes, QString *error)
{
    QString siteName;
    QList<SitePage> pages;
    QString reason;
    if (!parseDocument(bytes, &siteName, &pages, &reason))
        return setError(error, QStringLiteral("Cannot read the site document: %1.").arg(reason));
    m_siteName = siteName;
    m_pages = pages;
    return true;
}

QByteArray SiteDocument::data() const
{
    PlistPointer root(plist_new_dict());
    setString(root.get(), kSiteNameKey, m_siteName);
    plist_t array = plist_new_array();
    plist_dict_set_item(root.get(), kPagesKey, array); // the dictionary owns the array now
    for (const SitePage &page : m_pages)
        plist_array_append_item(array, pageNode(page).release());
    char *buffer = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &buffer, &length);
    const QByteArray bytes = buffer ? QByteArray(buffer, qsizetype(length)) : QByteArray();
    if (buffer)
        plist_to_bin_free(buffer);
    return bytes;
}

qsizetype SiteDocument::indexOf(const QString &uniqueID) const
{
    for (qsizetype i = 0; i < m_pages.size(); ++i) {
        if (m_pages.at(i).uniqueID == uniqueID)
            return i;
    }
    return -1;
}
