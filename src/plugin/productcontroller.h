#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <memory>

class TillboxProduct;

// The list controller between a page's products and the editor: it owns the
// selection and announces, by key path, changes "around the selected product":
// "selection.<field>" when that field of the selected product changes or the
// selection moves to another product, and "selectionIndex" when it moves.
class ProductController : public QObject
{
    Q_OBJECT

public:
    using ProductList = QList<std::shared_ptr<TillboxProduct>>;

    explicit ProductController(QObject *parent = nullptr);

    // The 25 "selection." key paths that are announced, in order.
    static const QStringList &watchedSelectionKeyPaths();

    // The list the controller edits; owned by the plug-in.
    void setContent(ProductList *content);
    const ProductList &arrangedObjects() const;

    // Appends, and selects the new product.
    void addObject(const std::shared_ptr<TillboxProduct> &product);
    // Appends all, selecting the last, with one announcement for the lot.
    void addObjects(const ProductList &products);
    void insertObject(const std::shared_ptr<TillboxProduct> &product, int index);
    void removeObjectAtArrangedObjectIndex(int index);
    // After the content list was replaced or changed behind the controller's back.
    void rearrangeObjects();

    // -1 when nothing is selected.
    int selectionIndex() const { return m_selectionIndex; }
    void setSelectionIndex(int index);
    std::shared_ptr<TillboxProduct> selectedProduct() const;

    void commitEditing() { Q_EMIT commitEditingRequested(); }

Q_SIGNALS:
    void keyPathChanged(const QString &keyPath);
    void arrangedObjectsChanged();
    void commitEditingRequested();

private:
    void watchSelectedProduct();
    void announceSelectionMoved();

    ProductList *m_content = nullptr;
    int m_selectionIndex = -1;
    std::shared_ptr<TillboxProduct> m_watched;
    QMetaObject::Connection m_watchConnection;
};
