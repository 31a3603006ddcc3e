#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class TillboxPlugin;

// Reads back a catalogue text in the form CatalogueCsv writes, after the
// author edited it in a spreadsheet. A row whose SKU the site's catalogue
// holds updates that product, on whichever open page it is (the product the
// text was made from); a row with a new SKU becomes a new product at the end
// of the target page. Nothing is removed. Only columns whose text differs
// from what the product would write are applied, so reading back an
// unchanged text changes nothing, even where a number's text is rounded.
//
// The whole text is checked before anything changes: a malformed row fails
// the import with its line number and leaves every product as it was.
class CatalogueImport
{
public:
    struct Result
    {
        int added = 0;
        int updated = 0;
        QStringList warnings; // rows skipped, one line each
        // The pages whose products changed (each was told of its change).
        QList<TillboxPlugin *> changedPages;
    };

    // pages: every open page of the site (matching looks at their products);
    // target: where new products go, one of pages.
    [[nodiscard]] static bool importCSV(const QByteArray &bytes, const QList<TillboxPlugin *> &pages,
                                        TillboxPlugin &target, Result *result, QString *error);
};
