#include "editor/tbximageview.h"

#include "editor/editorcontext.h"
#include "editor/fieldbinder.h"
#include "editor/setfieldcommand.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "images/imagecodecmessages.h"
#include "images/picture.h"
#include "plugin/tillboxplugin.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QMimeData>
#include <QMetaMethod>
#include <QMimeDatabase>
#include <QPainter>
#include <QUndoStack>

namespace {

// The well's background: a dark grey the pictures stand out on.
const QColor kWellBackground(68, 68, 68);

const QString kDefaultImage = QStringLiteral("iconItem");
const QString kDefaultImageName = QStringLiteral("iconItem.png");

QList<QString> localFiles(const QMimeData *data)
{
    QList<QString> files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    return files;
}

bool decodes(const QByteArray &bytes)
{
    ImageCodecMessages::Scope quiet;
    const Picture picture(bytes);
    return !picture.isNull() && !picture.image().isNull();
}

QStringList imageFormats(const QMimeData *data)
{
    QStringList formats;
    for (const QString &format : data->formats()) {
        if (format.startsWith(QLatin1String("image/")))
            formats << format;
    }
    return formats;
}

QString defaultChooser(QWidget *parent)
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return QFileDialog::getOpenFileName(parent, TBXImageView::tr("Choose a Picture"), QString(),
                                        TBXImageView::tr("Pictures (%1)").arg(patterns.join(QLatin1Char(' '))));
}

} // namespace

TBXImageView::TBXImageView(EditorContext &context, QWidget *parent)
    : QFrame(parent), m_context(context), m_chooseFile(defaultChooser)
{
    setObjectName(QStringLiteral("productImageView"));
    setAccessibleName(tr("Product picture"));
    setAccessibleDescription(tr("Drop or paste a picture here; Delete restores the default picture."));
    setToolTip(tr("Drop a picture file here, or paste one"));
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(160, 160);
    setMaximumHeight(320);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_context.product().bindWidget(this, QStringLiteral("image"),
                                   {[this](const QVariant &) { showProduct(); },
                                    []() -> std::optional<QVariant> { return std::nullopt; }});
}

bool TBXImageView::hasProduct() const
{
    return m_context.plugin().productController().selectedProduct() != nullptr;
}

bool TBXImageView::takeFile(const QString &path)
{
    const QString fileName = QFileInfo(path).fileName();
    if (!hasProduct()) {
        Q_EMIT filesForNewProducts({path});
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(tr("\u201c%1\u201d could not be read: %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (!decodes(bytes))
        return refuse(tr("\u201c%1\u201d is not a picture Tillbox can read. Use a PNG, JPEG or GIF file.")
                          .arg(fileName));
    return store(bytes, fileName, QString());
}

bool TBXImageView::takeMimeData(const QMimeData *data)
{
    if (!data)
        return false;
    const QList<QString> files = localFiles(data);
    if (files.size() == 1)
        return takeFile(files.first());
    if (files.size() > 1) {
        Q_EMIT filesForNewProducts(files);
        return false;
    }
    if (!hasProduct())
        return false;
    // Encoded picture data keeps its own format; pixels alone are encoded
    // the way the product re-encodes pictures: PNG with alpha, else JPEG.
    for (const QString &format : imageFormats(data)) {
        const QByteArray bytes = data->data(format);
        if (!decodes(bytes))
            continue;
        const QString suffix = QMimeDatabase().mimeTypeForName(format).preferredSuffix();
        return store(bytes, QString(), suffix.isEmpty() ? QStringLiteral("png") : suffix);
    }
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (!image.isNull()) {
        QString suffix;
        const QByteArray bytes = Picture::storedForm(image, &suffix, nullptr);
        if (!bytes.isNull())
            return store(bytes, QString(), suffix);
    }
    if (data->hasUrls())
        return refuse(tr("Pictures are not fetched from web addresses. Save the picture as a file and drop that."));
    return refuse(tr("This is not a picture. Drop or paste a picture file or a copied picture."));
}

bool TBXImageView::choosePicture()
{
    const QString path = m_chooseFile(this);
    return !path.isEmpty() && takeFile(path);
}

bool TBXImageView::paste()
{
    return takeMimeData(QGuiApplication::clipboard()->mimeData());
}

void TBXImageView::removePicture()
{
    if (!hasProduct())
        return;
    const QByteArray bytes = Bundle::plugin().imageResourceData(kDefaultImage).value_or(QByteArray());
    const auto product = m_context.plugin().productController().selectedProduct();
    if (product->image() == bytes && product->imageName() == kDefaultImageName && product->iconName().isEmpty())
        return;
    const BoundRecord record = m_context.product().record();
    QUndoStack *stack = m_context.undoStack();
    stack->beginMacro(tr("Remove Picture"));
    for (const auto &[field, value] : {std::pair{QStringLiteral("iconName"), QVariant(QStringLiteral(""))},
                                       std::pair{QStringLiteral("imageName"), QVariant(kDefaultImageName)},
                                       std::pair{QStringLiteral("image"), QVariant(bytes)}}) {
        m_context.push(
            new SetFieldCommand(m_context, &m_context.product(), record, field, record.value(field), value));
    }
    stack->endMacro();
    setMessage(QString());
}

bool TBXImageView::store(const QByteArray &bytes, const QString &fileName, const QString &suffix)
{
    const auto product = m_context.plugin().productController().selectedProduct();
    if (!product)
        return false;
    const BoundRecord record = m_context.product().record();
    const auto set = [this, &record](const QString &field, const QVariant &value) {
        const QVariant old = record.value(field);
        if (old != value)
            m_context.push(new SetFieldCommand(m_context, &m_context.product(), record, field, old, value));
    };
    setMessage(QString());
    if (bytes == product->image() && (fileName.isEmpty() || fileName == product->imageName()))
        return true;

    QUndoStack *stack = m_context.undoStack();
    stack->beginMacro(tr("Change Picture"));
    if (!fileName.isEmpty()) {
        // A dropped file names the picture, and an untouched product after it.
        const QString base = QFileInfo(fileName).completeBaseName();
        if (product->name() == Bundle::plugin().localizedString(QStringLiteral("NewProduct")))
            set(QStringLiteral("name"), base);
        set(QStringLiteral("iconName"), base);
        if (product->SKU().isEmpty())
            set(QStringLiteral("SKU"), product->iconName());
        set(QStringLiteral("imageName"), fileName);
    } else {
        // Picture data has no name of its own: it is named after the product.
        set(QStringLiteral("iconName"), product->name());
        if (product->iconName().isEmpty())
            set(QStringLiteral("iconName"), QStringLiteral("picture"));
        set(QStringLiteral("imageName"), product->iconName() + QLatin1Char('.') + suffix);
    }
    set(QStringLiteral("image"), bytes);
    stack->endMacro();
    return true;
}

bool TBXImageView::refuse(const QString &message)
{
    setMessage(message);
    return false;
}

void TBXImageView::setMessage(const QString &message)
{
    if (message == m_message)
        return;
    m_message = message;
    Q_EMIT messageChanged(message);
}

void TBXImageView::showProduct()
{
    const auto product = m_context.plugin().productController().selectedProduct();
    std::shared_ptr<const Picture> picture = product ? product->icon() : nullptr;
    if (product && picture == m_shown && !m_pixmap.isNull())
        return;
    m_shown = picture;
    if (product) {
        m_pixmap = picture ? QPixmap::fromImage(picture->image()) : QPixmap();
    } else {
        // A page without products shows where its first picture goes.
        const auto drop = Bundle::plugin().imageResourceData(QStringLiteral("document_drop"));
        m_pixmap = drop ? QPixmap::fromImage(QImage::fromData(*drop)) : QPixmap();
    }
    // Very large pictures are kept at a size the well can show.
    if (m_pixmap.width() > 1024 || m_pixmap.height() > 1024)
        m_pixmap = m_pixmap.scaled(1024, 1024, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    setMessage(QString());
    update();
}

void TBXImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kWellBackground);
    const QRect area = rect().adjusted(8, 8, -8, -8);
    if (!m_pixmap.isNull()) {
        QSize size = m_pixmap.size();
        if (size.width() > area.width() || size.height() > area.height())
            size.scale(area.size(), Qt::KeepAspectRatio);
        QRect target(QPoint(), size);
        target.moveCenter(area.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, m_pixmap);
    } else if (hasProduct()) {
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, tr("This picture cannot be shown"));
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

bool TBXImageView::accepts(const QMimeData *data) const
{
    if (!data)
        return false;
    const QList<QString> files = localFiles(data);
    if (!files.isEmpty()) {
        const bool forNewProducts = files.size() > 1 || !hasProduct();
        return !forNewProducts || isSignalConnected(QMetaMethod::fromSignal(&TBXImageView::filesForNewProducts));
    }
    return hasProduct() && (data->hasImage() || !imageFormats(data).isEmpty() || data->hasUrls());
}

void TBXImageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (accepts(event->mimeData()))
        event->acceptProposedAction();
}

void TBXImageView::dragMoveEvent(QDragMoveEvent *event)
{
    if (accepts(event->mimeData()))
        event->acceptProposedAction();
}

void TBXImageView::dropEvent(QDropEvent *event)
{
    const bool taken = takeMimeData(event->mimeData());
    if (taken)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TBXImageView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        paste();
        return;
    }
    if (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) {
        removePicture();
        return;
    }
    QFrame::keyPressEvent(event);
}
