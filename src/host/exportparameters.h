#pragma once

#include <QMap>
#include <QString>

// The host's export parameters: a string-keyed dictionary handed to every
// export call of a page. Only the five keys below carry meaning; others are
// kept as they are so a host may pass more.
class ExportParameters
{
public:
    static inline const QString ModeKey = QStringLiteral("mode");
    static inline const QString PathKey = QStringLiteral("path");
    static inline const QString FilesFolderNameKey = QStringLiteral("filesfoldername");
    static inline const QString LocationKey = QStringLiteral("location");
    static inline const QString BaseKey = QStringLiteral("base");

    static inline const QString PreviewMode = QStringLiteral("preview");

    ExportParameters() = default;
    explicit ExportParameters(const QMap<QString, QString> &values) : m_values(values) {}

    // Parameters for writing one page: mode ("preview" or "publish"), the
    // absolute folder the page is written into, the name of its files folder,
    // the page's folder (ending in its location below the site) and the site root.
    static ExportParameters forPage(const QString &mode, const QString &path,
                                    const QString &filesFolderName, const QString &location,
                                    const QString &base);

    // Null when the key is absent.
    QString value(const QString &key) const { return m_values.value(key); }
    bool contains(const QString &key) const { return m_values.contains(key); }
    void insert(const QString &key, const QString &value) { m_values.insert(key, value); }
    const QMap<QString, QString> &values() const { return m_values; }

    QString mode() const { return value(ModeKey); }
    QString path() const { return value(PathKey); }
    QString filesFolderName() const { return value(FilesFolderNameKey); }
    QString location() const { return value(LocationKey); }
    QString base() const { return value(BaseKey); }

    bool isPreview() const { return mode() == PreviewMode; }
    // "path" and "filesfoldername" joined with "/": where a page's files go.
    QString filesFolderPath() const;

    friend bool operator==(const ExportParameters &, const ExportParameters &) = default;

private:
    QMap<QString, QString> m_values;
};
