#include "editor/tillboxcustomcell.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "host/notificationcenter.h"
#include "images/picture.h"
#include "images/proportionalscaling.h"
#include "plugin/tillboxplugin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QThread>

namespace {

// Also called from the threads that fit pictures ahead of time.
QImage bundleImage(const QString &name)
{
    static QMutex lock;
    const QMutexLocker locked(&lock);
    static QHash<QString, QImage> images;
    auto it = images.find(name);
    if (it == images.end())
        it = images.insert(name, QImage(Bundle::plugin().pathForImageResource(name)));
    return *it;
}

// Decodes no more pixels than the box needs: large JPEG pictures are read at
// a fraction of their size, which keeps scrolling through thousands of
// products smooth without holding their full pixels.
QImage reducedPixels(const Picture &picture, int box)
{
    if (picture.isDecoded() || picture.encodedData().isEmpty())
        return picture.image();
    QByteArray bytes = picture.encodedData();
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize raw = reader.size();
    if (raw.isValid() && (raw.width() > box || raw.height() > box)) {
        const double scale = std::max(double(box) / raw.width(), double(box) / raw.height());
        reader.setScaledSize(QSize(std::max(1, int(raw.width() * scale + 0.5)), std::max(1, int(raw.height() * scale + 0.5))));
    }
    return reader.read();
}

} // namespace

namespace {

QFont sized(double points)
{
    QFont font = QApplication::font();
    font.setPointSizeF(points);
    return font;
}

// Room for every fitted picture of a large page (a 32 by 32 picture is 4 KB).
constexpr int kCacheKilobytes = 64 * 1024;
// Pictures asked for by painting that are worth fitting: a few screens of
// rows. Older requests belong to rows scrolled past and are dropped.
constexpr qsizetype kMaxRequests = 64;
// Pictures that arrive within this time are shown by one redraw.
constexpr int kRepaintMilliseconds = 40;

} // namespace

TillboxCustomCell::TillboxCustomCell(QObject *parent)
    : QStyledItemDelegate(parent), m_firstFont(sized(14)), m_secondFont(sized(12)), m_firstMetrics(m_firstFont),
      m_secondMetrics(m_secondFont), m_boxed(kCacheKilobytes)
{
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kRepaintMilliseconds);
    connect(&m_repaint, &QTimer::timeout, this, [this] {
        if (auto *view = qobject_cast<QAbstractItemView *>(this->parent()))
            view->viewport()->update();
    });
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted, this,
            [this](const QString &name) {
                if (name != TBXProductChangedNotification)
                    return;
                if (auto *view = qobject_cast<QAbstractItemView *>(this->parent()))
                    view->viewport()->update();
            });
}

TillboxCustomCell::~TillboxCustomCell()
{
    *m_stopping = true;
    m_pool.clear();
    m_pool.waitForDone();
}

QImage TillboxCustomCell::badge(int status)
{
    switch (status) {
    case TillboxProduct::StatusOutOfStock:
        return bundleImage(QStringLiteral("product_out_of_stock"));
    case TillboxProduct::StatusHidden:
        return bundleImage(QStringLiteral("product_disabled"));
    default:
        return {};
    }
}

QImage TillboxCustomCell::fit(const std::shared_ptr<const Picture> &picture)
{
    QImage pixels = picture ? reducedPixels(*picture, kPictureBox) : QImage();
    QSize size = picture ? picture->size() : QSize();
    if (pixels.isNull()) {
        // Bytes that do not decode: the placeholder is shown, and the product
        // keeps its bytes and its (absent) picture; painting changes nothing.
        pixels = bundleImage(QStringLiteral("iconItem"));
        size = pixels.size();
    }
    return ProportionalScaling::imageByScalingProportionallyToSize(pixels, size, kPictureBox, kPictureBox, false);
}

void TillboxCustomCell::keep(const TillboxProduct *product, const std::shared_ptr<const Picture> &picture,
                             const QImage &image) const
{
    m_boxed.insert(product, new Boxed{picture, !picture, image}, std::max<qsizetype>(1, image.sizeInBytes() / 1024));
}

const QImage *TillboxCustomCell::ready(const TillboxProduct &product,
                                       const std::shared_ptr<const Picture> &picture) const
{
    Boxed *cached = m_boxed.object(&product);
    if (cached && (picture ? cached->picture.lock() == picture : cached->placeholder))
        return &cached->image;
    return nullptr;
}

void TillboxCustomCell::post(TillboxCustomCell *cell, Mailbox &mailbox, QList<Fitted> fitted)
{
    const QMutexLocker locked(&mailbox.lock);
    const bool wake = mailbox.arrived.isEmpty();
    mailbox.arrived.append(std::move(fitted));
    // Painting takes them too, so a scroll that keeps the event loop busy
    // still shows what is ready.
    if (wake)
        QMetaObject::invokeMethod(cell, [cell] { cell->takeArrived(); }, Qt::QueuedConnection);
}

void TillboxCustomCell::takeArrived() const
{
    QList<Fitted> arrived;
    {
        const QMutexLocker locked(&m_mailbox->lock);
        arrived.swap(m_mailbox->arrived);
    }
    for (const Fitted &fitted : std::as_const(arrived))
        keep(fitted.product, fitted.picture, fitted.image);
    if (!arrived.isEmpty() && m_missing && !m_repaint.isActive()) {
        m_missing = false;
        m_repaint.start();
    }
}

void TillboxCustomCell::request(const Job &job) const
{
    {
        const QMutexLocker locked(&m_mailbox->lock);
        auto &requests = m_mailbox->requests;
        requests.removeIf([&job](const Job &other) { return other.first == job.first; });
        requests.append(job);
        if (requests.size() > kMaxRequests)
            requests.removeFirst();
        if (m_mailbox->draining)
            return;
        m_mailbox->draining = true;
    }
    // Ahead of the batches of prepare(): these rows are on screen.
    auto *self = const_cast<TillboxCustomCell *>(this);
    self->m_pool.start([self, mailbox = m_mailbox, stopping = m_stopping] {
        for (;;) {
            Job job;
            {
                // Stops under the lock, so a request made meanwhile starts a new run.
                const QMutexLocker locked(&mailbox->lock);
                if (*stopping || mailbox->requests.isEmpty()) {
                    mailbox->draining = false;
                    return;
                }
                job = mailbox->requests.takeLast();
            }
            post(self, *mailbox, {Fitted{job.first, job.second, fit(job.second)}});
        }
    }, 1);
}

void TillboxCustomCell::prepare(const QList<std::shared_ptr<TillboxProduct>> &products)
{
    constexpr qsizetype kBatch = 64;
    for (qsizetype first = 0; first < products.size(); first += kBatch) {
        QList<Job> batch;
        for (qsizetype i = first; i < std::min(first + kBatch, products.size()); ++i) {
            const TillboxProduct *product = products[i].get();
            if (!m_boxed.contains(product))
                batch.append({product, product->icon()});
        }
        if (batch.isEmpty())
            continue;
        m_pool.start([this, batch, mailbox = m_mailbox, stopping = m_stopping] {
            QList<Fitted> fitted;
            for (const Job &job : batch) {
                if (*stopping)
                    return;
                fitted.append({job.first, job.second, fit(job.second)});
            }
            post(this, *mailbox, std::move(fitted));
        });
    }
}

void TillboxCustomCell::waitForPrepared()
{
    m_pool.waitForDone();
    takeArrived();
}

void TillboxCustomCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The row's background and selection, without the style's own text.
    opt.text.clear();
    opt.icon = QIcon();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect content = option.rect.adjusted(kInset, 0, -kInset, 0);
    const int midY = content.top() + content.height() / 2;
    const auto *product = qobject_cast<const TillboxProduct *>(index.data(ProductRole).value<QObject *>());

    int textLeft = content.left();
    if (product) {
        const QRect box(content.left(), midY - kPictureBox / 2, kPictureBox, kPictureBox);
        // A picture not fitted yet is asked for and drawn when it arrives.
        takeArrived();
        const std::shared_ptr<const Picture> picture = product->icon();
        if (const QImage *boxed = ready(*product, picture)) {
            painter->drawImage(box, *boxed);
        } else {
            m_missing = true;
            request({product, picture});
        }
        const QImage mark = badge(product->status());
        if (!mark.isNull())
            painter->drawImage(box.topLeft() + QPoint(kBadgeOffset, kBadgeOffset), mark);
        textLeft += kPictureBox + kGap;
    }

    const bool selected = option.state & QStyle::State_Selected;
    const auto oneLine = [](QString text) { return text.replace(QLatin1Char('\n'), QLatin1Char(' ')); };
    const QString first = oneLine(index.data(Qt::DisplayRole).toString());
    const QString second = oneLine(index.data(SecondRowRole).toString());
    const QFont &firstFont = m_firstFont;
    const QFont &secondFont = m_secondFont;
    const QFontMetrics &firstMetrics = m_firstMetrics;
    const QFontMetrics &secondMetrics = m_secondMetrics;
    const int width = std::max(0, content.right() + 1 - textLeft);

    painter->save();
    painter->setFont(firstFont);
    painter->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
    painter->drawText(QRect(textLeft, midY - firstMetrics.height(), width, firstMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, firstMetrics.elidedText(first, Qt::ElideRight, width));
    painter->setFont(secondFont);
    painter->setPen(selected ? QColor(Qt::white) : QColor(128, 128, 128));
    painter->drawText(QRect(textLeft, midY, width, secondMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                      secondMetrics.elidedText(second, Qt::ElideRight, width));
    painter->restore();
}

QSize TillboxCustomCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    const int text = m_firstMetrics.height() + m_secondMetrics.height();
    return {option.rect.width(), std::max(text, kPictureBox + 2 * -kBadgeOffset) + 6};
}
