#pragma once

#include <QList>
#include <QString>

#include <optional>

class Bundle;
class ExportParameters;
class TillboxGlobalSettings;

// The cart header of a shop page: the resource "template_header" (type
// "html") with its placeholders filled from the shop settings, in a fixed
// order, each step acting on the whole text so far. It configures the
// in-browser cart: where its files are, its look, the checkout back-ends and
// accounts, the order form, shipping tiers, currency and shopper texts.
//
// Account values go out Base64-encoded; every value placed inside a script
// string is escaped for it (CustomReplace's Script mode, which also keeps a
// value from ending the script element).
class CartHeader
{
public:
    // How a row's value replaces its placeholder.
    enum class Kind {
        Literal, // replace-all as it stands: numbers, switches
        Plain,   // CustomReplace, plain mode
        Script,  // CustomReplace, script-string mode
        Html,    // CustomReplace, HTML mode
    };
    struct Row
    {
        QString placeholder;
        QString value; // null: absent (Plain/Script/Html then insert "")
        Kind kind = Kind::Plain;
    };

    // The Info.plist key of the shared secret that signs Sisow accounts.
    static inline const QString SisowSecretInfoKey = QStringLiteral("TBXSisowSharedSecret");

    // bundle: the template, the plug-in's version, the strings table and the
    // Sisow secret. Both must outlive the header.
    CartHeader(const TillboxGlobalSettings &settings, const Bundle &bundle);

    // The filled header; absent when the template is missing or not UTF-8.
    // Without parameters (the editor's "copy header") the shared folder is
    // given relative to the site root.
    std::optional<QString> pageContentHeadersTemplateWithParams(const std::optional<ExportParameters> &params) const;

    // The settings rows after the path and lifetime, in replacement order
    // (107 rows, or 106 when the shipping type tag is unknown and its
    // placeholder stays).
    QList<Row> settingsRows() const;

    // TBXSisowSharedSecret: 40 lower-case hex digits from the bundle's
    // Info.plist ("" when missing, which is logged).
    QString sisowSharedSecret() const;
    // Base64 of the SHA-1 hex digest of sisowAccount followed by the secret.
    QString sisowSignature() const;

    // One "1" or "0" per order-form field, 1 to 15: whether it is required.
    static QString orderRequiredString(const TillboxGlobalSettings &settings);
    // Base64 (RFC 4648, padded, unwrapped) of the text's UTF-8 bytes; null
    // for a null text.
    static QString base64(const QString &text);
    // The leading integer of the host's version string ("6.1.3" gives 6; 0
    // when it starts with no digit).
    static int hostMajorVersion();

private:
    const TillboxGlobalSettings &m_settings;
    const Bundle &m_bundle;
};
