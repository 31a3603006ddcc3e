#include "settings/tillboxcurrency.h"

#include "archive/keyedarchiver.h"
#include "archive/recordfieldtable.h"

#define CURRENCY_SLOT(member) FIELD_SLOT(TillboxCurrency, member)

const RecordFieldTable &TillboxCurrency::fieldTable()
{
    static const RecordFieldTable table({
        {"tag", "Tag", ValueKind::IntNumber, CURRENCY_SLOT(m_tag)},
        {"code", "Code", ValueKind::Object, CURRENCY_SLOT(m_code), 1},
        {"symbol", "Symbol", ValueKind::Object, CURRENCY_SLOT(m_symbol), 2},
        {"shownOnLeft", "ShownOnLeft", ValueKind::BoolNumber, CURRENCY_SLOT(m_shownOnLeft), 3},
        {"spaceBetweenSymbolAndPrice", "SpaceBetweenSymbolAndPrice", ValueKind::BoolNumber,
         CURRENCY_SLOT(m_spaceBetweenSymbolAndPrice), 4},
    });
    return table;
}

TillboxCurrency::TillboxCurrency()
    : m_tag(10),
      m_code(QStringLiteral("USD")),
      m_symbol(QStringLiteral("$")),
      m_shownOnLeft(true),
      m_spaceBetweenSymbolAndPrice(true)
{
}

TillboxCurrency::TillboxCurrency(Empty)
{
}

TillboxCurrency::~TillboxCurrency() = default;

template <class T>
void TillboxCurrency::assign(T &member, const T &value)
{
    if (!storeFieldValue(member, value))
        return;
    Q_EMIT valueChanged(fieldTable().byStorage(this, &member).changeKey());
}

void TillboxCurrency::setTag(int tag)
{
    assign(m_tag, tag);
}

void TillboxCurrency::setCode(const QString &code)
{
    assign(m_code, code);
}

void TillboxCurrency::setSymbol(const QString &symbol)
{
    assign(m_symbol, symbol);
}

void TillboxCurrency::setShownOnLeft(bool shownOnLeft)
{
    assign(m_shownOnLeft, shownOnLeft);
}

void TillboxCurrency::setSpaceBetweenSymbolAndPrice(bool space)
{
    assign(m_spaceBetweenSymbolAndPrice, space);
}

QStringList TillboxCurrency::archiveClassNames()
{
    return {QStringLiteral("TillboxCurrency"), QStringLiteral("NSObject")};
}

void TillboxCurrency::encodeWithCoder(KeyedArchiver &coder) const
{
    fieldTable().encode(coder, this);
}

std::shared_ptr<TillboxCurrency> TillboxCurrency::initWithCoder(KeyedUnarchiver &coder)
{
    // Every key is read unconditionally, so a missing one leaves the empty
    // value rather than a default: an old currency without "Tag" matches no
    // menu item instead of pretending to be US dollars.
    std::shared_ptr<TillboxCurrency> currency(new TillboxCurrency(Empty{}));
    fieldTable().decode(coder, currency.get());
    return currency;
}

QJsonObject TillboxCurrency::toJson() const
{
    return fieldTable().toJson(this);
}

const QStringList &TillboxCurrency::watchedKeys()
{
    return fieldTable().watchedKeys();
}

std::shared_ptr<TillboxCurrency> TillboxCurrency::copy() const
{
    std::shared_ptr<TillboxCurrency> currency(new TillboxCurrency(Empty{}));
    fieldTable().copyFields(this, currency.get());
    return currency;
}

QVariant TillboxCurrency::fieldValue(QStringView name) const
{
    return fieldTable().byName(name).value(this);
}

void TillboxCurrency::setFieldValue(QStringView name, const QVariant &value)
{
    const RecordField &row = fieldTable().byName(name);
    if (row.store(this, value))
        Q_EMIT valueChanged(row.changeKey());
}
