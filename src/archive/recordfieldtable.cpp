#include "archive/recordfieldtable.h"

#include <QtGlobal>

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
    qFatal("RecordFieldTable: no field is archived under \"%s\"", key);
}

const RecordField &RecordFieldTable::byName(QStringView name) const
{
    for (const RecordField &field : m_fields) {
        if (name == QLatin1String(field.name))
            return field;
    }
    qFatal("RecordFieldTable: no field is called \"%s\"", qPrintable(name.toString()));
}

const RecordField &RecordFieldTable::byStorage(void *record, const void *member) const
{
    for (const RecordField &field : m_fields) {
        const void *storage = std::visit(
            [](auto p) -> const void * {
                if constexpr (std::is_same_v<decltype(p), ObjectSlot>)
                    return p.member;
                else
                    return p;
            },
            field.slot(record));
        if (storage == member)
            return field;
    }
    qFatal("RecordFieldTable: a member of the record is not in its field table");
}

void RecordFieldTable::encode(KeyedArchiver &coder, const void *record) const
{
    for (const RecordField &field : m_fields)
        field.encode(coder, record);
}

void RecordFieldTable::decode(KeyedUnarchiver &coder, void *record,
                              const std::function<void(const RecordField &)> &changed) const
{
    for (const RecordField &field : m_fields) {
        if (!field.isArchived())
            continue;
        switch (field.load) {
        case LoadRule::Always:
            break;
        case LoadRule::IfPresent:
            if (!coder.containsValueForKey(field.key))
                continue;
            break;
        case LoadRule::InGroup:
            Q_ASSERT(field.guard);
            if (!coder.containsValueForKey(field.guard))
                continue;
            break;
        case LoadRule::Migrated:
            continue;
        }
        if (field.decode(coder, record) && changed)
            changed(field);
    }
}

QJsonObject RecordFieldTable::toJson(const void *record) const
{
    QJsonObject object;
    for (const RecordField &field : m_fields)
        object.insert(QLatin1String(field.name), field.toJson(record));
    return object;
}

void RecordFieldTable::copyFields(const void *from, void *to) const
{
    for (const RecordField &field : m_fields) {
        if (field.copy == CopyRule::Copy)
            field.copyValue(from, to);
    }
}
