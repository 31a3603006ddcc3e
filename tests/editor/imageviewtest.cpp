#include "editortest.h"
#include "support/testsupport.h"

#include "editor/tbximageview.h"

#include "catalogue/tillboxproduct.h"
#include "host/bundle.h"
#include "images/picture.h"
#include "plugin/tillboxplugin.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class ImageViewTest : public ContextTest
{
protected:
    void SetUp() override
    {
        plugin->productController().addObject(product);
        well = std::make_unique<TBXImageView>(context);
    }

    QString file(const QString &name, const QByteArray &bytes) const
    {
        testsupport::writeFile(folder.filePath(name), bytes);
        return folder.filePath(name);
    }
    static QByteArray png(int width, int height) { return testsupport::encodedPicture(width, height, "png", true); }
    // Drops the data on the well as the file manager would.
    bool drop(QMimeData *data)
    {
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(well.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(well.get(), &dropped);
        return dropped.isAccepted();
    }
    // What the product's picture fields hold, as one comparable value.
    QStringList pictureFields() const
    {
        const auto icon = product->icon();
        return {QString::number(qHash(product->image())), product->imageName(), product->iconName(),
                icon ? QStringLiteral("%1x%2").arg(icon->width()).arg(icon->height()) : QString()};
    }

    QTemporaryDir folder;
    std::shared_ptr<TillboxProduct> product = TillboxProduct::create();
    std::unique_ptr<TBXImageView> well;
};

TEST_F(ImageViewTest, ADroppedFileNamesThePictureAndIsOneStep)
{
    const QStringList before = pictureFields();
    const QByteArray bytes = png(40, 30);
    auto *data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(file(QStringLiteral("red shirt.png"), bytes))});
    EXPECT_TRUE(drop(data));
    delete data;

    EXPECT_EQ(product->image(), bytes);
    EXPECT_EQ(product->imageName(), QStringLiteral("red shirt.png"));
    EXPECT_EQ(product->iconName(), QStringLiteral("red_shirt"));
    EXPECT_EQ(product->name(), QStringLiteral("red shirt")) << "an untouched product is named after its picture";
    EXPECT_EQ(product->SKU(), QStringLiteral("red_shirt"));
    EXPECT_EQ(product->icon()->size(), QSize(40, 30));
    EXPECT_EQ(stack.count(), 1);

    stack.undo();
    EXPECT_EQ(pictureFields(), before);
    EXPECT_TRUE(product->SKU().isEmpty());
}

TEST_F(ImageViewTest, APastedPictureIsNamedAfterTheProduct)
{
    product->setName(QStringLiteral("Blue cap"));
    QImage image(20, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    auto *data = new QMimeData;
    data->setImageData(image);
    QApplication::clipboard()->setMimeData(data);
    ASSERT_TRUE(well->paste());
    EXPECT_EQ(product->imageName(), QStringLiteral("Blue_cap.png"));
    EXPECT_EQ(product->iconName(), QStringLiteral("Blue_cap"));
    EXPECT_EQ(product->icon()->size(), QSize(20, 10));
    EXPECT_TRUE(QImage::fromData(product->image()).hasAlphaChannel());
}

// What is not a picture is refused and changes nothing; a picture taken
// after it clears the message, and removing it restores the default one.
TEST_F(ImageViewTest, ARefusedFileChangesNothingAndRemovingRestoresTheDefault)
{
    const QStringList before = pictureFields();
    well->setFileChooser([this](QWidget *) { return file(QStringLiteral("notes.png"), "just some text"); });
    EXPECT_FALSE(well->choosePicture());
    EXPECT_TRUE(well->message().contains(QStringLiteral("notes.png"))) << well->message().toStdString();
    EXPECT_EQ(pictureFields(), before);
    EXPECT_EQ(stack.count(), 0);

    ASSERT_TRUE(well->takeFile(file(QStringLiteral("cap.png"), png(8, 8))));
    EXPECT_TRUE(well->message().isEmpty());
    well->removePicture();
    EXPECT_EQ(product->image(), Bundle::plugin().imageResourceData(QStringLiteral("iconItem")).value_or(QByteArray()));
    EXPECT_EQ(product->imageName(), QStringLiteral("iconItem.png"));
    EXPECT_TRUE(product->iconName().isEmpty());
    EXPECT_EQ(stack.count(), 2);
}

} // namespace
