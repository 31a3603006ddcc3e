#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <memory>
#include <optional>

class QMimeData;
class TillboxGlobalSettings;
class TillboxPlugin;

// Moves shop-wide data between shop pages, of one document or of two, through
// the clipboard: the shopper texts alone, or the whole settings record. Each
// copy puts one item of one type on the clipboard; a paste takes only its own
// type, and data that does not decode changes nothing.
//
// The payloads are keyed archives made and read by the functions below, so
// they can be checked without a clipboard. The editor calls, for its menu:
//   clipboard->setMimeData(ShopClipboard::copyGlobalSettings(plugin).release());
//   ShopClipboard::pasteGlobalSettings(plugin, clipboard->mimeData());
// and enables each paste item with canPaste...(clipboard->mimeData()).
class ShopClipboard
{
public:
    static QString localizableStringsType() { return QStringLiteral("TBX_LOCALIZABLE_STRINGS_PBOARD_TYPE"); }
    static QString globalSettingsType() { return QStringLiteral("TBX_GLOBAL_SETTINGS_PBOARD_TYPE"); }

    // --- Payloads ------------------------------------------------------------
    static QByteArray encodeLocalizableStrings(const QMap<QString, QString> &strings);
    // Absent (with *error) when the bytes are not such a payload, or damaged.
    static std::optional<QMap<QString, QString>> decodeLocalizableStrings(const QByteArray &bytes,
                                                                         QString *error = nullptr);
    // The settings record as the page stores it (header and footer as they
    // were when the record was last stored or loaded).
    static QByteArray encodeGlobalSettings(const TillboxGlobalSettings &settings);
    // A new record read with the page's loading rules; null (with *error)
    // when the bytes are not a settings archive, or damaged.
    static std::shared_ptr<TillboxGlobalSettings> decodeGlobalSettings(const QByteArray &bytes,
                                                                       QString *error = nullptr);

    // --- Commands --------------------------------------------------------------
    // New clipboard contents holding only the page's texts / settings.
    static std::unique_ptr<QMimeData> copyLocalizableStrings(const TillboxPlugin &plugin);
    static std::unique_ptr<QMimeData> copyGlobalSettings(const TillboxPlugin &plugin);

    static bool canPasteLocalizableStrings(const QMimeData *data);
    static bool canPasteGlobalSettings(const QMimeData *data);

    // Merges the texts into the page's (only texts whose default this
    // installation knows), redraws the editor's table of texts and marks the
    // page changed when a text changed. False, with nothing changed, when
    // the clipboard holds no texts or they do not decode.
    static bool pasteLocalizableStrings(TillboxPlugin &plugin, const QMimeData *data, QString *error = nullptr);
    // Replaces the page's settings by the clipboard's: stops watching the old
    // record, decodes, installs the new record, refreshes the price formats
    // and checkouts, watches the new record and marks the page changed. False
    // when the clipboard holds no settings or they do not decode: the page
    // keeps its record, still watched.
    static bool pasteGlobalSettings(TillboxPlugin &plugin, const QMimeData *data, QString *error = nullptr);
};
