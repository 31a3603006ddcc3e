#pragma once

#include "settings/recordfield.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>

// A record's fields in declaration order, and the operations that walk them.
class RecordFieldTable
{
public:
    explicit RecordFieldTable(QList<RecordField> fields);

    const QList<RecordField> &fields() const { return m_fields; }

    // The row archived under key; the key must be in the table.
    const RecordField &byArchiveKey(const char *key) const;
    // The row whose storage in record is member; null when there is none.
    const RecordField *byStorage(QObject &record, const void *member) const;

    // Change keys of the watched rows, in watch order.
    const QStringList &watchedKeys() const { return m_watchedKeys; }

    // Every archived row, in table order.
    void encode(KeyedArchiver &coder, const QObject &record) const;
    // Every row under its field name.
    QJsonObject toJson(const QObject &record) const;

private:
    QList<RecordField> m_fields;
    QStringList m_watchedKeys;
};
