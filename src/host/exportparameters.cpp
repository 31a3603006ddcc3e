#include "host/exportparameters.h"

ExportParameters ExportParameters::forPage(const QString &mode, const QString &path,
                                           const QString &filesFolderName,
                                           const QString &location, const QString &base)
{
    ExportParameters parameters;
    parameters.insert(ModeKey, mode);
    parameters.insert(PathKey, path);
    parameters.insert(FilesFolderNameKey, filesFolderName);
    parameters.insert(LocationKey, location);
    parameters.insert(BaseKey, base);
    return parameters;
}

QString ExportParameters::filesFolderPath() const
{
    // Formed exactly as the host forms it ("%@/%@"), absent values reading as
    // empty, so the result matches the paths the page refers to.
    return path() + QLatin1Char('/') + filesFolderName();
}
