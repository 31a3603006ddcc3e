#pragma once

#include <QCache>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QStyledItemDelegate>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

class Picture;
class TillboxProduct;

// Draws a row of the product table (and of the shop texts table): the
// product's picture fitted into a 32 by 32 box with its status badge, and two
// lines beside it, the display text over the second-row text, both cut with
// an ellipsis. Rows without a product start the text at the content's left
// edge. The table redraws whenever a product changes.
//
// Fitted pictures are kept per product until its picture changes, and are
// made on other threads only: ahead of time for the whole list (prepare()),
// and first for the rows being shown. Painting never decodes: a row whose
// picture is not fitted yet is drawn without it, and redrawn when it is.
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
    ~TillboxCustomCell() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The badge of a product status: null for a product that is available.
    static QImage badge(int status);
    // Fits the pictures of products on other threads, ahead of painting.
    void prepare(const QList<std::shared_ptr<TillboxProduct>> &products);
    // Waits until the pictures asked for (by prepare() or by painting) are
    // fitted and kept (benchmarks, tests).
    void waitForPrepared();

private:
    struct Boxed
    {
        std::weak_ptr<const Picture> picture;
        bool placeholder = false;
        QImage image;
    };
    using Job = std::pair<const TillboxProduct *, std::shared_ptr<const Picture>>;
    struct Fitted
    {
        const TillboxProduct *product;
        std::shared_ptr<const Picture> picture;
        QImage image;
    };
    // Shared with the worker threads: the pictures asked for by painted rows
    // (newest last) and the fitted pictures not yet kept.
    struct Mailbox
    {
        QMutex lock;
        QList<Job> requests;
        bool draining = false;
        QList<Fitted> arrived;
    };
    // On a worker thread: hands pictures to the cell's thread.
    static void post(TillboxCustomCell *cell, Mailbox &mailbox, QList<Fitted> fitted);
    void takeArrived() const;
    // The picture fitted into the box (letterboxed, transparent around), or
    // the placeholder picture when there is none that decodes.
    static QImage fit(const std::shared_ptr<const Picture> &picture);
    const QImage *ready(const TillboxProduct &product, const std::shared_ptr<const Picture> &picture) const;
    void request(const Job &job) const;
    void keep(const TillboxProduct *product, const std::shared_ptr<const Picture> &picture, const QImage &image) const;

    QFont m_firstFont;
    QFont m_secondFont;
    QFontMetrics m_firstMetrics;
    QFontMetrics m_secondMetrics;
    mutable QCache<const TillboxProduct *, Boxed> m_boxed;
    QThreadPool m_pool;
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    mutable QTimer m_repaint;          // one redraw for the pictures that arrive meanwhile
    mutable bool m_missing = false;    // a row was drawn without its picture
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
};
