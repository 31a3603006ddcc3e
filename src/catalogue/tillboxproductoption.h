#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>

class KeyedArchiver;
class KeyedUnarchiver;

// An entry of the option sets that old pages stored (a name and a price).
// Kept only so those pages still load; the product turns the entries into
// TillboxOptionValue objects while loading.
class TillboxProductOption
{
public:
    // An empty record, the starting point of loading.
    TillboxProductOption() = default;

    // A new entry named by the localized text of "NewProductOption".
    static std::shared_ptr<TillboxProductOption> create();
    std::shared_ptr<TillboxProductOption> copy() const;

    const QString &optionName() const { return m_optionName; }
    void setOptionName(const QString &name) { m_optionName = name; }
    float optionPrice() const { return m_optionPrice; }
    void setOptionPrice(float price) { m_optionPrice = price; }

    static QStringList archiveClassNames();
    void encodeWithCoder(KeyedArchiver &coder) const;
    static std::shared_ptr<TillboxProductOption> initWithCoder(KeyedUnarchiver &coder);

    QJsonObject toJson() const;

private:
    QString m_optionName;
    float m_optionPrice = 0;
};
