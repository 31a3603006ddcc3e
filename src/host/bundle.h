#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>
#include <optional>

// The plug-in bundle: the folder of resources that ships beside the program
// (templates, scripts, style sheets, PHP, icons, the strings table and
// Info.plist). An override folder, when set, takes precedence file by file,
// so a shop owner can customise any template without rebuilding.
class Bundle
{
public:
    // resourcesDir: the shipped resources; overrideDir: optional, may be empty.
    explicit Bundle(const QString &resourcesDir, const QString &overrideDir = QString());

    // The plug-in's bundle. Found, in order, in <program>/../share/tillbox/resources,
    // <program>/resources and the source tree; the override folder comes from
    // TILLBOX_RESOURCES unless setPluginOverrideDirectory() was called.
    static Bundle &plugin();
    static void setPluginOverrideDirectory(const QString &dir);

    QString resourcesPath() const { return m_resourcesDir; }
    QString overridePath() const { return m_overrideDir; }

    // Path of resource name.type, the override folder first; empty when missing.
    // An empty type looks for the name as it stands.
    QString pathForResource(const QString &name, const QString &type) const;
    std::optional<QByteArray> resourceData(const QString &name, const QString &type) const;
    // The resource read as UTF-8; absent when missing or not valid UTF-8.
    std::optional<QString> resourceText(const QString &name, const QString &type) const;
    // An image resource looked up by name alone (png, jpg, gif in that order).
    QString pathForImageResource(const QString &name) const;
    std::optional<QByteArray> imageResourceData(const QString &name) const;

    // A string value of Info.plist; empty when missing.
    QString infoValue(const QString &key) const;
    // The text of key in the strings table; the key itself where it has none.
    QString localizedString(const QString &key) const;

private:
    void loadStrings();
    void loadInfo();

    QString m_resourcesDir;
    QString m_overrideDir;
    QHash<QString, QString> m_strings;
    QHash<QString, QString> m_info;
};
