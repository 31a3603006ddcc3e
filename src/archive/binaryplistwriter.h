#pragma once

#include <QByteArray>

typedef void *plist_t;

// Serialises a libplist node tree as a binary property list ("bplist00").
//
// libplist 2.2's own writer finds repeated objects through a hash table of a
// fixed 4096 buckets, so its time grows with the square of the node count: a
// page of 10,000 products took minutes. This writer does the same job in one
// linear pass: equal strings, keys, numbers and references are written once
// and shared; arrays and dictionaries are written as they stand. The output
// is read by libplist, Python's plistlib and every other bplist reader.
class BinaryPlistWriter
{
public:
    static QByteArray write(plist_t root);
};
