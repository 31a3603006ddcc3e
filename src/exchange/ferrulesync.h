#pragma once

#include <QString>
#include <QVariantMap>

class TillboxPlugin;
class TillboxProduct;

// Takes the products of the sibling catalogue plug-in Ferrule over into one
// shop page: a record whose SKU a product of the page already has updates
// the first such product in place, any other record becomes a new product at
// the end. Nothing is removed. Ferrule is found by the class name
// "FerrulePlugin" in the host's class registry and must answer allProducts.
class FerruleSync
{
public:
    struct Result
    {
        bool ferruleAvailable = false;
        int added = 0;
        int updated = 0;
    };

    // The page's menu command. Shows the outcome in the page's editor, when
    // it has one: the "SyncError" alert when Ferrule is missing (the page is
    // then unchanged), else the "SyncResult" alert with the counts. Marks
    // the page changed when a record was taken over.
    static Result syncFerruleProducts(TillboxPlugin &plugin);

    // The alert's informative text: "SyncResultMessage" filled with added,
    // then updated.
    static QString resultMessage(int added, int updated);
    static QString errorMessage();

    // Applies one Ferrule record to a product (steps after the match).
    static void applyRecord(const QVariantMap &record, TillboxProduct &target, TillboxPlugin &plugin);
};
