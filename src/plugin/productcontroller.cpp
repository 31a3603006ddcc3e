#include "plugin/productcontroller.h"

#include "catalogue/tillboxproduct.h"

namespace {
const QString kSelectionPrefix = QStringLiteral("selection.");
const ProductController::ProductList kEmpty;
} // namespace

ProductController::ProductController(QObject *parent) : QObject(parent) {}

const QStringList &ProductController::watchedSelectionKeyPaths()
{
    static const QStringList paths = [] {
        QStringList list;
        for (const char *field :
             {"productID", "icon", "iconName", "iconWidth", "iconHeight", "hasDropShadow", "useHtmlDescription",
              "htmlProductDescription", "name", "SKU", "price", "hasSpecialPrice", "specialPrice", "taxRate",
              "hasShipping", "shipping", "additionalItemShipping", "hasCouponCode", "couponCode",
              "couponDescription", "couponValue", "couponType", "purchaseLimit", "status", "weight"})
            list << kSelectionPrefix + QLatin1String(field);
        return list;
    }();
    return paths;
}

void ProductController::setContent(ProductList *content)
{
    m_content = content;
    rearrangeObjects();
}

const ProductController::ProductList &ProductController::arrangedObjects() const
{
    return m_content ? *m_content : kEmpty;
}

void ProductController::addObject(const std::shared_ptr<TillboxProduct> &product)
{
    insertObject(product, m_content ? int(m_content->size()) : 0);
}

void ProductController::addObjects(const ProductList &products)
{
    Q_ASSERT(m_content);
    if (!m_content || products.isEmpty())
        return;
    m_content->append(products);
    Q_EMIT arrangedObjectsChanged();
    m_selectionIndex = -1;
    setSelectionIndex(int(m_content->size()) - 1);
}

void ProductController::insertObject(const std::shared_ptr<TillboxProduct> &product, int index)
{
    Q_ASSERT(m_content);
    if (!m_content || !product)
        return;
    index = std::clamp(index, 0, int(m_content->size()));
    m_content->insert(index, product);
    Q_EMIT arrangedObjectsChanged();
    m_selectionIndex = -1; // force the announcement: the selected object changes
    setSelectionIndex(index);
}

void ProductController::removeObjectAtArrangedObjectIndex(int index)
{
    if (!m_content || index < 0 || index >= m_content->size())
        return;
    m_content->removeAt(index);
    Q_EMIT arrangedObjectsChanged();
    // Keep a selection where there is something to select.
    int next = m_selectionIndex;
    if (next >= m_content->size())
        next = int(m_content->size()) - 1;
    m_selectionIndex = -2;
    setSelectionIndex(next);
}

void ProductController::rearrangeObjects()
{
    Q_EMIT arrangedObjectsChanged();
    const int count = m_content ? int(m_content->size()) : 0;
    int next = m_selectionIndex < count ? m_selectionIndex : count - 1;
    if (next < 0 && count > 0)
        next = 0;
    m_selectionIndex = -2;
    setSelectionIndex(next);
}

void ProductController::setSelectionIndex(int index)
{
    const int count = m_content ? int(m_content->size()) : 0;
    if (index < 0 || index >= count)
        index = -1;
    if (index == m_selectionIndex && selectedProduct() == m_watched)
        return;
    m_selectionIndex = index;
    watchSelectedProduct();
    announceSelectionMoved();
}

std::shared_ptr<TillboxProduct> ProductController::selectedProduct() const
{
    if (!m_content || m_selectionIndex < 0 || m_selectionIndex >= m_content->size())
        return nullptr;
    return m_content->at(m_selectionIndex);
}

void ProductController::watchSelectedProduct()
{
    disconnect(m_watchConnection);
    m_watched = selectedProduct();
    if (!m_watched)
        return;
    m_watchConnection = connect(m_watched.get(), &TillboxProduct::valueChanged, this, [this](const QString &key) {
        const QString path = kSelectionPrefix + key;
        if (watchedSelectionKeyPaths().contains(path))
            Q_EMIT keyPathChanged(path);
    });
}

void ProductController::announceSelectionMoved()
{
    // Every "selection." path now refers to another object.
    for (const QString &path : watchedSelectionKeyPaths())
        Q_EMIT keyPathChanged(path);
    Q_EMIT keyPathChanged(QStringLiteral("selectionIndex"));
}
