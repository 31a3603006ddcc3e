#include "editor/shoptextstablemodel.h"

#include "editor/editorcontext.h"
#include "editor/setfieldcommand.h"
#include "editor/tillboxcustomcell.h"

#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

namespace {
const QString kField = QStringLiteral("localizableStrings");
} // namespace

ShopTextsTableModel::ShopTextsTableModel(EditorContext &context, QObject *parent)
    : QAbstractTableModel(parent), m_context(context)
{
    connect(&context.plugin().globalSettingsController(), &ObjectController::contentChanged, this, [this] {
        watchSettings();
        reload();
    });
    watchSettings();
    m_keys = context.plugin().globalSettings()->localizableStrings().keys();
}

void ShopTextsTableModel::watchSettings()
{
    disconnect(m_watch);
    m_watch = connect(m_context.plugin().globalSettings().get(), &TillboxGlobalSettings::valueChanged, this,
                      [this](const QString &key) {
                          if (key.compare(kField, Qt::CaseInsensitive) == 0)
                              reload();
                      });
}

void ShopTextsTableModel::reload()
{
    // The keys are the shipped texts' and rarely change; the texts do, and
    // the table keeps its place while they do.
    const QStringList keys = m_context.plugin().globalSettings()->localizableStrings().keys();
    if (keys != m_keys) {
        beginResetModel();
        m_keys = keys;
        endResetModel();
    } else if (!m_keys.isEmpty()) {
        Q_EMIT dataChanged(index(0, 0), index(int(m_keys.size()) - 1, 0));
    }
}


int ShopTextsTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

int ShopTextsTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ShopTextsTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    Q_ASSERT_X(index.row() >= 0 && index.row() < m_keys.size(), "ShopTextsTableModel::data", "row out of range");
    const QString &key = m_keys.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_context.plugin().globalSettings()->localizableStrings().value(key);
    case TillboxCustomCell::SecondRowRole:
    case Qt::ToolTipRole:
        return key;
    default:
        return {};
    }
}

bool ShopTextsTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    Q_ASSERT_X(index.row() >= 0 && index.row() < m_keys.size(), "ShopTextsTableModel::setData", "row out of range");
    const QString text = value.toString();
    if (text.isEmpty())
        return false;
    const auto settings = m_context.plugin().globalSettings();
    const QMap<QString, QString> before = settings->localizableStrings();
    const QString &key = m_keys.at(index.row());
    if (before.value(key) == text)
        return true;
    QMap<QString, QString> after = before;
    after.insert(key, text);
    m_context.push(new SetFieldCommand(m_context, nullptr, BoundRecord(settings), kField,
                                       QVariant::fromValue(before), QVariant::fromValue(after)));
    return true;
}

Qt::ItemFlags ShopTextsTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}
