// Feeds arbitrary bytes to the keyed-archive decoder through records that
// touch every value kind. Nothing may crash, hang or leak.
#include "archive/archivetestrecords.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    KeyedUnarchiver coder;
    if (coder.open(bytes)) {
        coder.decodeRootObject<TestRecord>();
        coder.decodeRootObject<TestNode>();
    }
    return 0;
}
