#pragma once

#include <QString>

// Facts about the host application that plug-ins may ask for.
class RWHost
{
public:
    // The host's "CFBundleShortVersionString".
    static QString shortVersionString();
    // Tests exercise the code paths of older hosts through this.
    static void setShortVersionStringForTesting(const QString &version);

    // The root of the scratch folders handed to plug-ins; created on first use
    // and removed when the process ends.
    static QString scratchRoot();
};
