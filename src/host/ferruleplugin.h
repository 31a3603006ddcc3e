#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>

// Stands in for Ferrule, the sibling catalogue plug-in whose products a shop
// page can take over. Its catalogue comes from a JSON file: an array of
// objects with the keys "SKU", "Name", "FileName", "Price",
// "HasSpecialPrice", "SpecialPrice", "Status", "Image" and "Icon", the last
// two naming picture files relative to the JSON file. allProducts() hands
// each object over as Ferrule would: "Image" becomes the file's bytes
// (QByteArray), "Icon" the decoded picture (QImage); every other value is
// passed on as JSON gave it, wrong kinds included, for the reader to judge.
//
// The host registers it by the name "FerrulePlugin" (HostClassRegistry).
class FerrulePlugin : public QObject
{
    Q_OBJECT

public:
    static QString className() { return QStringLiteral("FerrulePlugin"); }

    // Reads the catalogue and its picture files. A file that cannot be read
    // or parsed, an entry that is not an object, or a picture file that is
    // missing or (for "Icon") not a picture fails the whole load: false, with
    // *error naming the file and the entry; the previous catalogue stays.
    [[nodiscard]] bool loadCatalogue(const QString &jsonPath, QString *error);

    // Loads the catalogue and registers the result as the process's Ferrule;
    // on failure the class registered before stays.
    [[nodiscard]] static bool registerCatalogue(const QString &jsonPath, QString *error);

    // The class operation the sync asks for: one record (QVariantMap) per
    // product, in the file's order.
    Q_INVOKABLE QVariantList allProducts() const { return m_products; }

private:
    QVariantList m_products;
};
