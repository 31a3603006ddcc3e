#include "host/ferruleplugin.h"

#include "host/hostclassregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool readBytes(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

} // namespace

bool FerrulePlugin::loadCatalogue(const QString &jsonPath, QString *error)
{
    QString reason;
    QByteArray json;
    if (!readBytes(jsonPath, &json, &reason)) {
        *error = reason;
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QStringLiteral("cannot read %1: %2 at byte %3")
                     .arg(jsonPath, parseError.errorString())
                     .arg(parseError.offset);
        return false;
    }
    if (!document.isArray()) {
        *error = QStringLiteral("cannot read %1: the catalogue must be a JSON array of products").arg(jsonPath);
        return false;
    }

    const QDir base = QFileInfo(jsonPath).absoluteDir();
    QVariantList products;
    const QJsonArray entries = document.array();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto fail = [&](const QString &what) {
            *error = QStringLiteral("cannot read %1: product %2: %3").arg(jsonPath).arg(i + 1).arg(what);
            return false;
        };
        if (!entries[i].isObject())
            return fail(QStringLiteral("not an object"));
        QVariantMap record = entries[i].toObject().toVariantMap();
        // Only picture paths given as text are read; another kind of value
        // is handed on as it is and reads as no picture.
        if (const QVariant image = record.value(QStringLiteral("Image")); image.typeId() == QMetaType::QString) {
            QByteArray bytes;
            if (!readBytes(base.filePath(image.toString()), &bytes, &reason))
                return fail(reason);
            record.insert(QStringLiteral("Image"), bytes);
        }
        if (const QVariant icon = record.value(QStringLiteral("Icon")); icon.typeId() == QMetaType::QString) {
            QByteArray bytes;
            if (!readBytes(base.filePath(icon.toString()), &bytes, &reason))
                return fail(reason);
            const QImage picture = QImage::fromData(bytes);
            if (picture.isNull())
                return fail(QStringLiteral("%1 is not a picture").arg(base.filePath(icon.toString())));
            record.insert(QStringLiteral("Icon"), picture);
        }
        products.append(record);
    }
    m_products = products;
    return true;
}

bool FerrulePlugin::registerCatalogue(const QString &jsonPath, QString *error)
{
    auto ferrule = std::make_shared<FerrulePlugin>();
    if (!ferrule->loadCatalogue(jsonPath, error))
        return false;
    HostClassRegistry::registerClass(className(), ferrule);
    return true;
}
