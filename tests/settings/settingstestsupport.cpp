#include "settingstestsupport.h"

#include "support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>
#include <plist/plist.h>

namespace settingstest {

namespace {

// Decodes the root object with a chosen bundle: the record's own entry point
// for the archiver always uses the plug-in's bundle.
struct SettingsProbe
{
    static const Bundle *bundle;
    std::shared_ptr<TillboxGlobalSettings> settings;

    static QStringList archiveClassNames() { return TillboxGlobalSettings::archiveClassNames(); }
    static std::shared_ptr<SettingsProbe> initWithCoder(KeyedUnarchiver &coder)
    {
        auto probe = std::make_shared<SettingsProbe>();
        probe->settings = TillboxGlobalSettings::initWithCoder(coder, *bundle);
        return probe;
    }
};
const Bundle *SettingsProbe::bundle = nullptr;

QByteArray stringsTable(const QMap<QString, QString> &strings)
{
    QByteArray text = "/* test strings */\n";
    for (auto it = strings.cbegin(); it != strings.cend(); ++it)
        text += "\"" + it.key().toUtf8() + "\" = \"" + it.value().toUtf8() + "\";\n";
    return text;
}

} // namespace

TestBundle::TestBundle(const QMap<QString, QString> &strings, const QMap<QString, QString> &templates)
{
    EXPECT_TRUE(m_dir.isValid());
    testsupport::writeFile(m_dir.filePath(QStringLiteral("Localizable.strings")), stringsTable(strings));
    for (auto it = templates.cbegin(); it != templates.cend(); ++it)
        testsupport::writeFile(m_dir.filePath(it.key() + QStringLiteral(".html")), it.value().toUtf8());
    m_bundle = std::make_unique<Bundle>(m_dir.path());
}

QMap<QString, QString> TestBundle::standardStrings()
{
    return {
        {QStringLiteral("DirectOrderSubjectLabel"), QStringLiteral("Your order")},
        {QStringLiteral("DirectOrderTextLabel"), QStringLiteral("Thank you for your order:")},
        {QStringLiteral("CartDisclaimerLabel"), QStringLiteral("I agree to the terms")},
        {QStringLiteral("i18nAddToCart"), QStringLiteral("Add to cart")},
        {QStringLiteral("i18nTotal"), QStringLiteral("Total")},
        {QStringLiteral("i18nSubtotal"), QStringLiteral("Subtotal")},
    };
}

QMap<QString, QString> TestBundle::standardTemplates()
{
    return {
        {QStringLiteral("template_item"), QStringLiteral("<div class=\"item\">%NAME% – %PRICE%</div>")},
        {QStringLiteral("template_cart"), QStringLiteral("<div id=\"cart\"></div>")},
    };
}

QByteArray archiveOldSettings(const std::function<void(KeyedArchiver &)> &write)
{
    return testsupport::storedArchive<TillboxGlobalSettings>(write);
}

std::shared_ptr<TillboxGlobalSettings> decodeSettings(const QByteArray &archive, const Bundle &bundle)
{
    KeyedUnarchiver coder;
    if (!coder.open(archive)) {
        ADD_FAILURE() << "archive does not open: " << coder.errorString().toStdString();
        return nullptr;
    }
    SettingsProbe::bundle = &bundle;
    const auto probe = coder.decodeRootObject<SettingsProbe>();
    SettingsProbe::bundle = nullptr;
    EXPECT_FALSE(coder.hasError()) << coder.errorString().toStdString();
    if (!probe || !probe->settings) {
        ADD_FAILURE() << "no settings record decoded";
        return nullptr;
    }
    return probe->settings;
}

QMap<QString, EntryForm> rootObjectEntries(const QByteArray &archive)
{
    QMap<QString, EntryForm> entries;
    plist_t root = nullptr;
    plist_from_memory(archive.constData(), uint32_t(archive.size()), &root);
    if (!root) {
        ADD_FAILURE() << "archive is not a property list";
        return entries;
    }
    plist_t top = plist_dict_get_item(root, "$top");
    plist_t rootRef = top ? plist_dict_get_item(top, "root") : nullptr;
    plist_t objects = plist_dict_get_item(root, "$objects");
    uint64_t uid = 0;
    if (rootRef && objects && plist_get_node_type(rootRef) == PLIST_UID) {
        plist_get_uid_val(rootRef, &uid);
        plist_t object = plist_array_get_item(objects, uint32_t(uid));
        if (object && plist_get_node_type(object) == PLIST_DICT) {
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(object, &it);
            while (true) {
                char *key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(object, it, &key, &value);
                if (!key)
                    break;
                if (qstrcmp(key, "$class") != 0) {
                    const plist_type type = plist_get_node_type(value);
                    entries.insert(QString::fromUtf8(key), type == PLIST_UID       ? EntryForm::Reference
                                                           : type == PLIST_BOOLEAN ? EntryForm::InlineBool
                                                           : type == PLIST_UINT    ? EntryForm::InlineInteger
                                                                                   : EntryForm::Other);
                }
                free(key);
            }
            free(it);
        }
    }
    plist_free(root);
    if (entries.isEmpty())
        ADD_FAILURE() << "archive has no root object";
    return entries;
}

namespace {

std::string text(const QJsonValue &value)
{
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

void expectSubset(const QJsonObject &actual, const QJsonObject &expected, const QString &path)
{
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        const QJsonValue value = actual.value(it.key());
        const QString where = path + it.key();
        // Every field of a record is in its JSON; only dictionary entries may be missing.
        if (path.isEmpty()) {
            EXPECT_TRUE(actual.contains(it.key())) << "no field " << where.toStdString();
        }
        if (it->isObject() && value.isObject())
            expectSubset(value.toObject(), it->toObject(), where + QLatin1Char('.'));
        else if (it->isNull())
            EXPECT_TRUE(value.isNull() || value.isUndefined()) << where.toStdString();
        else
            EXPECT_TRUE(value == *it) << where.toStdString() << " is " << text(value) << ", expected " << text(*it);
    }
}

} // namespace

void expectJsonSubset(const QJsonObject &actual, const char *expected)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(expected, &error);
    ASSERT_TRUE(document.isObject()) << error.errorString().toStdString() << ": " << expected;
    expectSubset(actual, document.object(), QString());
}

QSet<QString> rootObjectKeySet(const QByteArray &archive)
{
    const QStringList keys = rootObjectEntries(archive).keys();
    return QSet<QString>(keys.cbegin(), keys.cend());
}

} // namespace settingstest
