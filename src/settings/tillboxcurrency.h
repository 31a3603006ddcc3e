#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QStringList>

#include <memory>

class KeyedArchiver;
class KeyedUnarchiver;
class RecordFieldTable;

// The shop's currency. The settings record holds it by shared reference and
// the currency menu changes it in place, so whoever holds it sees the change.
//
// Every setter that changes a value emits valueChanged with the field name
// ("tag", "code", "symbol", "shownOnLeft", "spaceBetweenSymbolAndPrice");
// setting the value a field already holds emits nothing.
class TillboxCurrency : public QObject
{
    Q_OBJECT

public:
    // Defaults: tag 10, "USD", "$", symbol on the left, with a space.
    TillboxCurrency();
    ~TillboxCurrency() override;

    int tag() const { return m_tag; }
    void setTag(int tag);
    QString code() const { return m_code; } // null when absent
    void setCode(const QString &code);
    QString symbol() const { return m_symbol; } // null when absent
    void setSymbol(const QString &symbol);
    bool shownOnLeft() const { return m_shownOnLeft; }
    void setShownOnLeft(bool shownOnLeft);
    bool spaceBetweenSymbolAndPrice() const { return m_spaceBetweenSymbolAndPrice; }
    void setSpaceBetweenSymbolAndPrice(bool space);

    // Keyed archiving: "Tag", "Code", "Symbol", "ShownOnLeft",
    // "SpaceBetweenSymbolAndPrice". Reading starts from an empty record (tag 0,
    // absent code and symbol, both switches off), not from the defaults.
    static QStringList archiveClassNames();
    void encodeWithCoder(KeyedArchiver &coder) const;
    static std::shared_ptr<TillboxCurrency> initWithCoder(KeyedUnarchiver &coder);

    // Every field under its name.
    QJsonObject toJson() const;
    // An unshared copy with the same values.
    std::shared_ptr<TillboxCurrency> copy() const;

    // The fields whose change marks the page changed, in the order the
    // plug-in registers them: "code", "symbol", "shownOnLeft",
    // "spaceBetweenSymbolAndPrice".
    static const QStringList &watchedKeys();

    // Editors' access by field name (a row of the record's field table):
    // values as RecordField::value() gives them; a store goes through the
    // setter's rules and announces the change.
    QVariant fieldValue(QStringView name) const;
    void setFieldValue(QStringView name, const QVariant &value);

Q_SIGNALS:
    void valueChanged(const QString &key);

private:
    struct Empty
    {
    };
    explicit TillboxCurrency(Empty);
    static const RecordFieldTable &fieldTable();
    template <class T>
    void assign(T &member, const T &value);

    int m_tag = 0;
    QString m_code;
    QString m_symbol;
    bool m_shownOnLeft = false;
    bool m_spaceBetweenSymbolAndPrice = false;
};
