#include "exchange/shopclipboard.h"

#include "archive/keyedarchiver.h"
#include "plugin/plugineditor.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QMimeData>

namespace {

// The texts travel as a keyed archive whose root holds the one dictionary.
struct LocalizableStringsPayload
{
    QMap<QString, QString> strings;

    static QStringList archiveClassNames()
    {
        return {QStringLiteral("TBXLocalizableStrings"), QStringLiteral("NSObject")};
    }
    void encodeWithCoder(KeyedArchiver &coder) const { coder.encodeStringDictionary("LocalizableStrings", strings); }
    static std::shared_ptr<LocalizableStringsPayload> initWithCoder(KeyedUnarchiver &coder)
    {
        auto payload = std::make_shared<LocalizableStringsPayload>();
        const auto strings = coder.decodeStringDictionary("LocalizableStrings");
        if (!strings)
            coder.failWithError(QStringLiteral("the texts are missing"));
        else
            payload->strings = *strings;
        return payload;
    }
};

template <class T>
std::shared_ptr<T> decodePayload(const QByteArray &bytes, QString *error)
{
    KeyedUnarchiver coder;
    std::shared_ptr<T> root;
    if (coder.open(bytes))
        root = coder.decodeRootObject<T>();
    if (coder.hasError() || !root) {
        if (error)
            *error = coder.hasError() ? coder.errorString() : QStringLiteral("the clipboard holds no such data");
        return nullptr;
    }
    return root;
}

std::unique_ptr<QMimeData> singleItem(const QString &type, const QByteArray &bytes)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(type, bytes);
    return data;
}

bool offers(const QMimeData *data, const QString &type, QString *error)
{
    if (data && data->hasFormat(type))
        return true;
    if (error)
        *error = QStringLiteral("the clipboard holds no %1").arg(type);
    return false;
}

} // namespace

QByteArray ShopClipboard::encodeLocalizableStrings(const QMap<QString, QString> &strings)
{
    return KeyedArchiver::archivedData(LocalizableStringsPayload{strings});
}

std::optional<QMap<QString, QString>> ShopClipboard::decodeLocalizableStrings(const QByteArray &bytes,
                                                                             QString *error)
{
    const auto payload = decodePayload<LocalizableStringsPayload>(bytes, error);
    if (!payload)
        return std::nullopt;
    return payload->strings;
}

QByteArray ShopClipboard::encodeGlobalSettings(const TillboxGlobalSettings &settings)
{
    return KeyedArchiver::archivedData(settings);
}

std::shared_ptr<TillboxGlobalSettings> ShopClipboard::decodeGlobalSettings(const QByteArray &bytes, QString *error)
{
    return decodePayload<TillboxGlobalSettings>(bytes, error);
}

std::unique_ptr<QMimeData> ShopClipboard::copyLocalizableStrings(const TillboxPlugin &plugin)
{
    return singleItem(localizableStringsType(),
                      encodeLocalizableStrings(plugin.globalSettings()->localizableStrings()));
}

std::unique_ptr<QMimeData> ShopClipboard::copyGlobalSettings(const TillboxPlugin &plugin)
{
    return singleItem(globalSettingsType(), encodeGlobalSettings(*plugin.globalSettings()));
}

bool ShopClipboard::canPasteLocalizableStrings(const QMimeData *data)
{
    return data && data->hasFormat(localizableStringsType());
}

bool ShopClipboard::canPasteGlobalSettings(const QMimeData *data)
{
    return data && data->hasFormat(globalSettingsType());
}

bool ShopClipboard::pasteLocalizableStrings(TillboxPlugin &plugin, const QMimeData *data, QString *error)
{
    if (!offers(data, localizableStringsType(), error))
        return false;
    const auto strings = decodeLocalizableStrings(data->data(localizableStringsType()), error);
    if (!strings)
        return false;
    TillboxGlobalSettings &settings = *plugin.globalSettings();
    const QMap<QString, QString> before = settings.localizableStrings();
    settings.setLocalizableStrings(*strings);
    if (PluginEditor *editor = plugin.editor())
        editor->reloadShopperTexts();
    // The texts are not among the watched fields, so without this the host
    // would not know the page changed and could close it without saving them.
    if (settings.localizableStrings() != before)
        plugin.broadcastPluginChanged();
    return true;
}

bool ShopClipboard::pasteGlobalSettings(TillboxPlugin &plugin, const QMimeData *data, QString *error)
{
    if (!offers(data, globalSettingsType(), error))
        return false;
    plugin.unregisterAsObserverForPluginChanges();
    const auto settings = decodeGlobalSettings(data->data(globalSettingsType()), error);
    if (!settings) {
        // Nothing changes, and the record the page keeps stays watched.
        plugin.registerAsObserverForPluginChanges();
        return false;
    }
    // Also hands the record to the settings controller, so bound fields show it.
    plugin.setGlobalSettings(settings);
    plugin.handleCurrencyChange();
    plugin.handleCheckoutChange();
    plugin.registerAsObserverForPluginChanges();
    plugin.broadcastPluginChanged();
    return true;
}
