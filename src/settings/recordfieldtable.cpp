#include "settings/recordfieldtable.h"

#include <algorithm>
#include <cstring>
#include <variant>

RecordFieldTable::RecordFieldTable(QList<RecordField> fields)
    : m_fields(std::move(fields))
{
    QList<const RecordField *> watched;
    for (const RecordField &field : m_fields) {
        if (field.watchOrder > 0)
            watched.append(&field);
    }
    std::sort(watched.begin(), watched.end(),
              [](const RecordField *a, const RecordField *b) { return a->watchOrder < b->watchOrder; });
    for (const RecordField *field : watched)
        m_watchedKeys.append(field->changeKey());
}

const RecordField &RecordFieldTable::byArchiveKey(const char *key) const
{
    for (const RecordField &field : m_fields) {
        if (field.key && std::strcmp(field.key, key) == 0)
            return field;
    }
    Q_ASSERT_X(false, "RecordFieldTable::byArchiveKey", key);
    return m_fields.constFirst();
}

const RecordField *RecordFieldTable::byStorage(QObject &record, const void *member) const
{
    for (const RecordField &field : m_fields) {
        const void *storage = std::visit([](auto *p) -> const void * { return p; }, field.slot(record));
        if (storage == member)
            return &field;
    }
    return nullptr;
}

void RecordFieldTable::encode(KeyedArchiver &coder, const QObject &record) const
{
    for (const RecordField &field : m_fields)
        field.encode(coder, record);
}

QJsonObject RecordFieldTable::toJson(const QObject &record) const
{
    QJsonObject object;
    for (const RecordField &field : m_fields)
        object.insert(QLatin1String(field.name), field.toJson(record));
    return object;
}
