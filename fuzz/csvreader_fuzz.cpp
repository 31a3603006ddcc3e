// Feeds arbitrary bytes to the catalogue text reader: it must either split
// them into records or give a line-numbered reason, never crash or hang.
#include "exchange/csvreader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<CsvReader::Record> records;
    QString error;
    if (CsvReader::read(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), &records, &error)) {
        for (const auto &record : records) {
            if (record.line < 1 || record.fields.isEmpty())
                __builtin_trap();
        }
    } else if (error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
