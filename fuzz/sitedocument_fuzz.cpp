// Reads a site document from arbitrary bytes. A document that reads must
// save and read back to the same pages. Nothing may crash, hang or leak.
#include "host/sitedocument.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    SiteDocument document;
    QString error;
    if (!document.loadData(bytes, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    SiteDocument again;
    if (!again.loadData(document.data(), &error) || !(again == document)) {
        std::fprintf(stderr, "a saved site document does not read back the same: %s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
