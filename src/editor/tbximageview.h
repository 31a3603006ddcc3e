#pragma once

#include <QFrame>
#include <QPixmap>

#include <functional>
#include <memory>

class EditorContext;
class Picture;
class QMimeData;

// The picture well: shows the selected product's picture and takes a new one
// dropped from the file manager or another application, pasted, or chosen
// from a file. Removing the picture restores the default one. The stored
// bytes, the file name (imageName), the export name (iconName) and the shown
// picture always describe the same picture, and each change is one undoable
// step. What is not a picture is refused with a message and changes nothing.
class TBXImageView : public QFrame
{
    Q_OBJECT

public:
    // Asks the author for a picture file; an empty path: cancelled.
    using FileChooser = std::function<QString(QWidget *parent)>;

    explicit TBXImageView(EditorContext &context, QWidget *parent = nullptr);

    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // Each returns whether the selected product took a picture.
    bool takeFile(const QString &path);
    bool takeMimeData(const QMimeData *data);
    bool choosePicture();
    bool paste();
    void removePicture();

    // Why the last picture was refused; empty after a picture was taken.
    const QString &message() const { return m_message; }

    QSize sizeHint() const override { return {240, 240}; }

Q_SIGNALS:
    void messageChanged(const QString &message);
    // Several files, or files while the page has no products: each should
    // become a product of its own, which is the product list's to do.
    void filesForNewProducts(const QStringList &paths);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool accepts(const QMimeData *data) const;
    bool hasProduct() const;
    // Stores a picture into the selected product as one step. fileName: the
    // file it came from; empty for picture data, which is named after the
    // product with the given suffix.
    bool store(const QByteArray &bytes, const QString &fileName, const QString &suffix);
    bool refuse(const QString &message);
    void setMessage(const QString &message);
    void showProduct();

    EditorContext &m_context;
    FileChooser m_chooseFile;
    QString m_message;
    std::shared_ptr<const Picture> m_shown;
    QPixmap m_pixmap;
};
