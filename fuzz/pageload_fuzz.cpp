// Loads a shop page from arbitrary bytes the way a host does: through the
// plug-in, so records, their migrations and the pictures' headers all run.
// A page that loads must also inspect, resave and load again from its
// resaved form. Nothing may crash, hang or leak.
#include "host/headlessenvironment.h"
#include "catalogue/productregistry.h"
#include "plugin/tillboxplugin.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    HeadlessEnvironment::prepare();
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ProductRegistry::resetForTesting();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto page = TillboxPlugin::fromArchivedData(bytes, &error);
    if (!page) {
        if (error.isEmpty())
            std::abort(); // a page that does not load must say why
        return 0;
    }
    (void)page->toJson();
    const QByteArray resaved = page->archivedData();
    page->unloadPluginOnDocumentClose();
    ProductRegistry::resetForTesting();
    if (!TillboxPlugin::fromArchivedData(resaved, &error)) {
        std::fprintf(stderr, "a resaved page does not load again: %s\n", qPrintable(error));
        std::abort();
    }
    return 0;
}
