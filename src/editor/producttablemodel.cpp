#include "editor/producttablemodel.h"

#include "editor/editorcontext.h"
#include "editor/rowdrag.h"
#include "editor/setfieldcommand.h"
#include "editor/tillboxcustomcell.h"

#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QFile>
#include <QFileInfo>

ProductTableModel::ProductTableModel(EditorContext &context, QObject *parent)
    : RecordListModel(context, TBXProductRowType, parent), m_plugin(context.plugin())
{
    ProductController &controller = m_plugin.productController();
    // Changes made elsewhere (a page loaded, products synchronised) arrive
    // as "the list changed".
    connect(&controller, &ProductController::arrangedObjectsChanged, this, [this] {
        if (isEditing())
            return;
        beginResetModel();
        endResetModel();
        watchProducts();
    });
    connect(&controller, &ProductController::keyPathChanged, this, [this](const QString &path) {
        if (!isEditing() && path == QLatin1String("selectionIndex"))
            Q_EMIT selectionIndexChanged();
    });
    watchProducts();
}

void ProductTableModel::watchProducts()
{
    for (const auto &product : std::as_const(m_watched))
        disconnect(product.get(), nullptr, this, nullptr);
    m_watched = m_plugin.productController().arrangedObjects();
    for (const auto &product : std::as_const(m_watched)) {
        const TillboxProduct *raw = product.get();
        connect(raw, &TillboxProduct::valueChanged, this, [this, raw] { productChanged(raw); });
    }
}

void ProductTableModel::productChanged(const TillboxProduct *product)
{
    const auto &products = m_plugin.productController().arrangedObjects();
    for (int row = 0; row < products.size(); ++row) {
        if (products[row].get() == product) {
            Q_EMIT dataChanged(index(row, 0), index(row, 0));
            return;
        }
    }
}

std::shared_ptr<TillboxProduct> ProductTableModel::product(int row) const
{
    return m_plugin.productController().arrangedObjects().value(row);
}

const QList<std::shared_ptr<TillboxProduct>> &ProductTableModel::products() const
{
    return m_plugin.productController().arrangedObjects();
}

int ProductTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_plugin.productController().arrangedObjects().size());
}

QVariant ProductTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    TillboxProduct *product = m_plugin.productController().arrangedObjects().at(index.row()).get();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return product->name();
    case Qt::AccessibleTextRole:
        return tr("%1, SKU %2").arg(product->name(), product->SKU());
    case TillboxCustomCell::SecondRowRole:
        return product->SKU();
    case TillboxCustomCell::ProductRole:
        return QVariant::fromValue<QObject *>(product);
    default:
        return {};
    }
}

bool ProductTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount())
        return false;
    const auto edited = product(index.row());
    const QString name = value.toString();
    if (name == edited->name())
        return true;
    context().push(new SetFieldCommand(context(), nullptr, BoundRecord(edited), QStringLiteral("name"),
                                       edited->name(), name));
    return true;
}

int ProductTableModel::selectionIndex() const
{
    return m_plugin.productController().selectionIndex();
}

void ProductTableModel::setSelectionIndex(int row)
{
    m_plugin.productController().setSelectionIndex(row);
}

RecordListModel::Items ProductTableModel::content(const Owner &) const
{
    const auto &products = m_plugin.productController().arrangedObjects();
    return Items(products.begin(), products.end());
}

void ProductTableModel::setContent(const Owner &, const Items &items)
{
    TillboxPlugin::ProductList products;
    products.reserve(items.size());
    for (const Item &item : items)
        products.append(std::static_pointer_cast<TillboxProduct>(item));
    m_plugin.setProducts(products);
    watchProducts();
}

void ProductTableModel::itemsInserted()
{
    // The price fields show the new product in the shop's currency.
    m_plugin.handleCurrencyChange();
}

std::shared_ptr<TillboxProduct> ProductTableModel::newProduct() const
{
    auto product = TillboxProduct::create();
    product->setTaxRate(m_plugin.globalSettings()->defaultTaxRate());
    return product;
}

void ProductTableModel::addProduct()
{
    addItems({newProduct()}, tr("Add Product"));
}

void ProductTableModel::duplicateProduct()
{
    // Without a selected product there is nothing to copy.
    if (const auto selected = m_plugin.productController().selectedProduct())
        addItems({selected->copy()}, tr("Duplicate Product"));
}

void ProductTableModel::removeProducts(const QList<int> &rows)
{
    removeRowsAt(rows, rows.size() == 1 ? tr("Remove Product") : tr("Remove Products"));
}

bool ProductTableModel::acceptFilenameDrags(const QStringList &paths, QString *error)
{
    const auto refuse = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    // Every file is read before any product is made: a refused drop leaves
    // no trace, not even in the registry of SKUs.
    QList<std::pair<QFileInfo, QByteArray>> files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.isFile())
            return refuse(tr("\u201c%1\u201d is not a file; drop picture files to add products.").arg(path));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return refuse(tr("\u201c%1\u201d cannot be read: %2").arg(path, file.errorString()));
        files.append({info, file.readAll()});
    }
    Items products;
    for (const auto &[info, bytes] : files) {
        const QString base = info.completeBaseName();
        auto product = newProduct();
        product->setName(base);
        product->setIconName(base);
        product->setSKU(base);
        product->setImage(bytes);
        product->setImageName(info.fileName());
        products.append(product);
    }
    addItems(products, products.size() == 1 ? tr("Add Product") : tr("Add Products"));
    return !products.isEmpty();
}
