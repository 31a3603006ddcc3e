#pragma once

#include <QCache>
#include <QImage>
#include <QStyledItemDelegate>

#include <memory>

class Picture;
class TillboxProduct;

// Draws a row of the product table (and of the shop texts table): the
// product's picture fitted into a 32 by 32 box with its status badge, and two
// lines beside it, the display text over the second-row text, both cut with
// an ellipsis. Rows without a product start the text at the content's left
// edge. The table redraws whenever a product changes.
class TillboxCustomCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    enum Role {
        SecondRowRole = Qt::UserRole + 1, // QString: the grey second line
        ProductRole,                      // QObject *: the row's TillboxProduct, if any
    };

    // Layout, in device-independent pixels.
    static constexpr int kInset = 10;
    static constexpr int kPictureBox = 32;
    static constexpr int kGap = 10;
    static constexpr int kBadgeOffset = -3;

    // parent: the table; it is redrawn on every product change.
    explicit TillboxCustomCell(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QFont firstRowFont();
    static QFont secondRowFont();
    // The badge of a product status: null for a product that is available.
    static QImage badge(int status);
    // The product's picture fitted into the box (letterboxed, transparent
    // around), or the placeholder picture when it has none that decodes.
    QImage boxedPicture(const TillboxProduct &product) const;

private:
    struct Boxed
    {
        std::weak_ptr<const Picture> picture;
        bool placeholder = false;
        QImage image;
    };
    // Scaled pictures by product; an entry whose picture was replaced is
    // made again.
    mutable QCache<const TillboxProduct *, Boxed> m_boxed;
};
