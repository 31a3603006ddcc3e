#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QObject;
class TillboxCurrency;
class TillboxGlobalSettings;
class TillboxOption;
class TillboxOptionValue;
class TillboxProduct;

// One record that editor fields read and write by field name, whatever its
// class: the shop settings, the currency, a product, an option or a value.
// It keeps the record alive, so an undo step can still reach a product that
// was removed from the list meanwhile.
class BoundRecord
{
public:
    // No record: fields bound to it are disabled.
    BoundRecord() = default;
    BoundRecord(std::shared_ptr<TillboxGlobalSettings> record);
    BoundRecord(std::shared_ptr<TillboxCurrency> record);
    BoundRecord(std::shared_ptr<TillboxProduct> record);
    BoundRecord(std::shared_ptr<TillboxOption> record);
    BoundRecord(std::shared_ptr<TillboxOptionValue> record);

    bool isNull() const { return !m_record; }
    QVariant value(const QString &field) const;
    void setValue(const QString &field, const QVariant &value) const;
    // The object that emits valueChanged(QString) for the record; null for
    // options and values, which announce nothing themselves.
    QObject *notifier() const { return m_notifier; }
    const void *identity() const { return m_record.get(); }

    friend bool operator==(const BoundRecord &a, const BoundRecord &b) { return a.m_record == b.m_record; }

private:
    std::shared_ptr<void> m_record;
    QObject *m_notifier = nullptr;
    std::function<QVariant(const void *, const QString &)> m_get;
    std::function<void(void *, const QString &, const QVariant &)> m_set;
};
