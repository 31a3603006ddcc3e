#pragma once

#include "archive/recordfield.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

#include <functional>

// A record's fields in declaration order (which is archive order), and the
// operations that walk them.
class RecordFieldTable
{
public:
    explicit RecordFieldTable(QList<RecordField> fields);

    const QList<RecordField> &fields() const { return m_fields; }

    // The row archived under key. A key that is not in the table is a
    // programmer's error and stops the program, in release builds too.
    const RecordField &byArchiveKey(const char *key) const;
    // The row of the field called name (its getter's name); stops the
    // program when there is none, as above.
    const RecordField &byName(QStringView name) const;
    // The row whose storage in record is member; stops the program when there
    // is none, as above.
    const RecordField &byStorage(void *record, const void *member) const;

    // Change keys of the watched rows, in watch order.
    const QStringList &watchedKeys() const { return m_watchedKeys; }

    // Every archived row, in table order.
    void encode(KeyedArchiver &coder, const void *record) const;
    // Every row whose load rule is not Migrated, by its rule; changed(row) is
    // called for each value that changed. Migrated rows are the loader's.
    void decode(KeyedUnarchiver &coder, void *record,
                const std::function<void(const RecordField &)> &changed = {}) const;
    // Every row under its field name.
    QJsonObject toJson(const void *record) const;
    // Every row whose copy rule is Copy, from one record to another.
    void copyFields(const void *from, void *to) const;

private:
    QList<RecordField> m_fields;
    QStringList m_watchedKeys;
};
