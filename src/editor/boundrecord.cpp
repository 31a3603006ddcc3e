#include "editor/boundrecord.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxoptionvalue.h"
#include "catalogue/tillboxproduct.h"
#include "settings/tillboxcurrency.h"
#include "settings/tillboxglobalsettings.h"

namespace {

template <class R>
auto getter()
{
    return [](const void *record, const QString &field) { return static_cast<const R *>(record)->fieldValue(field); };
}

template <class R>
auto setter()
{
    return [](void *record, const QString &field, const QVariant &value) {
        static_cast<R *>(record)->setFieldValue(field, value);
    };
}

} // namespace

BoundRecord::BoundRecord(std::shared_ptr<TillboxGlobalSettings> record)
    : m_record(record), m_notifier(record.get()), m_get(getter<TillboxGlobalSettings>()),
      m_set(setter<TillboxGlobalSettings>())
{
}

BoundRecord::BoundRecord(std::shared_ptr<TillboxCurrency> record)
    : m_record(record), m_notifier(record.get()), m_get(getter<TillboxCurrency>()), m_set(setter<TillboxCurrency>())
{
}

BoundRecord::BoundRecord(std::shared_ptr<TillboxProduct> record)
    : m_record(record), m_notifier(record.get()), m_get(getter<TillboxProduct>()), m_set(setter<TillboxProduct>())
{
}

BoundRecord::BoundRecord(std::shared_ptr<TillboxOption> record)
    : m_record(record), m_get(getter<TillboxOption>()), m_set(setter<TillboxOption>())
{
}

BoundRecord::BoundRecord(std::shared_ptr<TillboxOptionValue> record)
    : m_record(record), m_get(getter<TillboxOptionValue>()), m_set(setter<TillboxOptionValue>())
{
}

QVariant BoundRecord::value(const QString &field) const
{
    return m_record ? m_get(m_record.get(), field) : QVariant();
}

void BoundRecord::setValue(const QString &field, const QVariant &value) const
{
    if (m_record)
        m_set(m_record.get(), field, value);
}
