#include "host/bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <plist/plist.h>

namespace {

QString g_overrideDir;
bool g_overrideSet = false;

std::optional<QByteArray> readAll(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QString findResourcesDir()
{
    QStringList candidates;
    const QString appDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!appDir.isEmpty()) {
        candidates << appDir + QStringLiteral("/../share/tillbox/resources")
                   << appDir + QStringLiteral("/resources");
    }
    candidates << QStringLiteral(TILLBOX_SOURCE_RESOURCES);
    for (const QString &dir : candidates) {
        if (QFileInfo::exists(dir + QStringLiteral("/Info.plist")))
            return QDir(dir).canonicalPath();
    }
    return QStringLiteral(TILLBOX_SOURCE_RESOURCES);
}

// Parses the strings-table syntax: "key" = "value"; with C-style comments and
// the escapes \" \\ \n \t.
QHash<QString, QString> parseStringsTable(const QString &text)
{
    QHash<QString, QString> table;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipSpace = [&] {
        while (i < n) {
            if (text[i].isSpace()) {
                ++i;
            } else if (text.mid(i, 2) == QLatin1String("/*")) {
                const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
                i = end < 0 ? n : end + 2;
            } else if (text.mid(i, 2) == QLatin1String("//")) {
                const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
                i = end < 0 ? n : end + 1;
            } else {
                break;
            }
        }
    };
    auto readQuoted = [&](QString &out) {
        if (i >= n || text[i] != QLatin1Char('"'))
            return false;
        ++i;
        out.clear();
        while (i < n && text[i] != QLatin1Char('"')) {
            QChar c = text[i++];
            if (c == QLatin1Char('\\') && i < n) {
                const QChar e = text[i++];
                c = e == QLatin1Char('n') ? QChar(u'\n') : e == QLatin1Char('t') ? QChar(u'\t') : e;
            }
            out += c;
        }
        if (i >= n)
            return false;
        ++i;
        return true;
    };
    while (true) {
        skipSpace();
        if (i >= n)
            break;
        QString key, value;
        if (!readQuoted(key))
            break;
        skipSpace();
        if (i >= n || text[i] != QLatin1Char('='))
            break;
        ++i;
        skipSpace();
        if (!readQuoted(value))
            break;
        skipSpace();
        if (i < n && text[i] == QLatin1Char(';'))
            ++i;
        table.insert(key, value);
    }
    return table;
}

} // namespace

Bundle::Bundle(const QString &resourcesDir, const QString &overrideDir)
    : m_resourcesDir(resourcesDir), m_overrideDir(overrideDir)
{
    // Read both tables up front: the bundle is then immutable and can be
    // shared by threads that export pictures in parallel.
    loadStrings();
    loadInfo();
}

Bundle &Bundle::plugin()
{
    static Bundle bundle(findResourcesDir(),
                         g_overrideSet ? g_overrideDir : qEnvironmentVariable("TILLBOX_RESOURCES"));
    return bundle;
}

void Bundle::setPluginOverrideDirectory(const QString &dir)
{
    g_overrideDir = dir;
    g_overrideSet = true;
}

QString Bundle::pathForResource(const QString &name, const QString &type) const
{
    const QString file = type.isEmpty() ? name : name + QLatin1Char('.') + type;
    for (const QString &dir : {m_overrideDir, m_resourcesDir}) {
        if (dir.isEmpty())
            continue;
        const QString path = dir + QLatin1Char('/') + file;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

std::optional<QByteArray> Bundle::resourceData(const QString &name, const QString &type) const
{
    return readAll(pathForResource(name, type));
}

std::optional<QString> Bundle::resourceText(const QString &name, const QString &type) const
{
    const auto bytes = resourceData(name, type);
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString Bundle::pathForImageResource(const QString &name) const
{
    for (const char *type : {"png", "jpg", "gif"}) {
        const QString path = pathForResource(name, QLatin1String(type));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

std::optional<QByteArray> Bundle::imageResourceData(const QString &name) const
{
    return readAll(pathForImageResource(name));
}

QString Bundle::infoValue(const QString &key) const
{
    return m_info.value(key);
}

QString Bundle::localizedString(const QString &key) const
{
    const auto it = m_strings.constFind(key);
    return it == m_strings.constEnd() ? key : *it;
}

void Bundle::loadStrings()
{
    if (const auto text = resourceText(QStringLiteral("Localizable"), QStringLiteral("strings")))
        m_strings = parseStringsTable(*text);
}

void Bundle::loadInfo()
{
    const auto bytes = resourceData(QStringLiteral("Info"), QStringLiteral("plist"));
    if (!bytes || bytes->isEmpty())
        return;
    plist_t root = nullptr;
    plist_from_memory(bytes->constData(), uint32_t(bytes->size()), &root);
    if (!root)
        return;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(root, &it);
        char *key = nullptr;
        plist_t value = nullptr;
        do {
            key = nullptr;
            plist_dict_next_item(root, it, &key, &value);
            if (key && value && plist_get_node_type(value) == PLIST_STRING) {
                uint64_t length = 0;
                const char *text = plist_get_string_ptr(value, &length);
                m_info.insert(QString::fromUtf8(key), QString::fromUtf8(text, qsizetype(length)));
            }
            free(key);
        } while (value && key);
        free(it);
    }
    plist_free(root);
}
