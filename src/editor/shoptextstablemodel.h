#pragma once

#include <QAbstractTableModel>
#include <QStringList>

class EditorContext;

// The shop's texts for shoppers, one row per key in case-sensitive order
// (upper case before lower case): the text, editable (never empty), with the
// key as the second line. An edit is one undoable step.
class ShopTextsTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ShopTextsTableModel(EditorContext &context, QObject *parent = nullptr);

    // Reads the texts again (the settings were replaced or reset).
    void reload();
    const QStringList &keys() const { return m_keys; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void watchSettings();

    EditorContext &m_context;
    QStringList m_keys;
    QMetaObject::Connection m_watch;
};
