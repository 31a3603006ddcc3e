#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Splits comma-separated text into records, as spreadsheets write it: fields
// optionally enclosed in double quotes, a doubled quote standing for one,
// commas and line breaks allowed inside quotes; lines end in "\n", "\r\n" or
// "\r"; a byte-order mark at the start is ignored; empty lines are skipped.
class CsvReader
{
public:
    struct Record
    {
        int line = 0; // where the record starts, counting from 1
        QStringList fields;
    };

    // False, with *error "line N: reason", for text that is not UTF-8, a
    // quote inside an unquoted field, text after a closing quote, or a quoted
    // field that is never closed.
    [[nodiscard]] static bool read(const QByteArray &bytes, QList<Record> *records, QString *error);
};
