#include "editor/tillboxcustomcell.h"

#include "catalogue/tillboxproduct.h"

#include <QBuffer>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 48;
const QColor kBackground(Qt::white);

QByteArray png(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Row
{
    TillboxProduct *product = nullptr;
    bool selected = false;
    bool pictureFitted = true; // otherwise drawn before its picture arrives
};

// One row drawn by the cell on a white strip.
QImage render(const Row &row)
{
    QStandardItemModel model(1, 1);
    QStandardItem *item = model.item(0, 0) ? model.item(0, 0) : new QStandardItem;
    item->setText(QStringLiteral("Hat\nwith brim and a rather long name that does not fit the row at all"));
    item->setData(QStringLiteral("HAT-1"), TillboxCustomCell::SecondRowRole);
    if (row.product)
        item->setData(QVariant::fromValue<QObject *>(row.product), TillboxCustomCell::ProductRole);
    model.setItem(0, 0, item);
    QTableView view;
    view.setModel(&model);
    TillboxCustomCell cell(&view);
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.rect = QRect(0, 0, kWidth, kHeight);
    option.widget = &view;
    option.state = QStyle::State_Enabled | (row.selected ? QStyle::State_Selected : QStyle::State_None);
    const auto paint = [&] {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(kBackground);
        QPainter painter(&image);
        cell.paint(&painter, option, model.index(0, 0));
        return image;
    };
    const QImage first = paint();
    if (!row.pictureFitted)
        return first;
    cell.waitForPrepared();
    return paint();
}

// The box around pixels that match, within columns from..to.
QRect pixelsWhere(const QImage &image, int from, int to, const std::function<bool(QColor)> &match)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = from; x < to; ++x)
            if (match(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

bool dark(QColor c)
{
    return c.lightness() < 100;
}

TEST(ProductRowDelegate, TextStartsAfterThePictureOnlyForProducts)
{
    auto product = TillboxProduct::create();
    product->setImage(png({200, 100}, Qt::red));
    const QImage withProduct = render({product.get()});
    const QImage without = render({});

    // Text: 52 px from the cell's edge beside a picture, 10 without.
    EXPECT_NEAR(pixelsWhere(withProduct, 44, kWidth, dark).left(), 52, 2);
    EXPECT_NEAR(pixelsWhere(without, 0, kWidth, dark).left(), 10, 2);
    EXPECT_LT(pixelsWhere(without, 0, kWidth, dark).right(), kWidth - 10) << "cut with an ellipsis";

    // A 200 by 100 picture is drawn 32 by 16, centred in its box.
    const QRect picture = pixelsWhere(withProduct, 0, 44, [](QColor c) {
        return c.red() > 200 && c.green() < 60 && c.blue() < 60;
    });
    EXPECT_EQ(picture.size(), QSize(32, 16));
    EXPECT_EQ(picture.left(), 10);
    EXPECT_EQ(picture.center().y(), kHeight / 2 - 1);

    // Painting does not wait for the picture: the row is drawn without it,
    // its text where it will stay.
    const QImage early = render({product.get(), false, false});
    EXPECT_EQ(pixelsWhere(early, 0, 44, [](QColor c) { return c != kBackground; }), QRect());
    EXPECT_NEAR(pixelsWhere(early, 44, kWidth, dark).left(), 52, 2);
}

TEST(ProductRowDelegate, RowsShownBeforeTheirPictureIsReadyAreRedrawnWithIt)
{
    auto product = TillboxProduct::create();
    product->setImage(png({32, 32}, Qt::red));
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QVariant::fromValue<QObject *>(product.get()), TillboxCustomCell::ProductRole);
    QTableView view;
    view.setModel(&model);
    view.setItemDelegate(new TillboxCustomCell(&view));
    view.verticalHeader()->setDefaultSectionSize(kHeight);
    view.resize(kWidth, 2 * kHeight);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    // What the screen shows, without drawing anew.
    const auto shown = [&] { return view.screen()->grabWindow(view.winId()).toImage(); };
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return !pixelsWhere(shown(), 0, kWidth, [](QColor c) { return c == Qt::red; }).isEmpty();
    }));
}

TEST(ProductRowDelegate, BadgeByStatusAndPlaceholderForPicturesThatDoNotDecode)
{
    auto product = TillboxProduct::create();
    product->setImage(png({32, 32}, Qt::blue));
    const QImage available = render({product.get()});
    product->setStatus(TillboxProduct::StatusOutOfStock);
    const QImage outOfStock = render({product.get()});
    const QRect badge(10 - 3, kHeight / 2 - 16 - 3, 16, 16);
    QRect changed;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (available.pixel(x, y) != outOfStock.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(badge.contains(changed)) << "the badge sits 3 px up and left of the picture";

    product->setStatus(TillboxProduct::StatusAvailable);
    product->setImage("no picture at all");
    const QImage placeholder = render({product.get()});
    EXPECT_NE(pixelsWhere(placeholder, 10, 42, [](QColor c) { return c != kBackground; }), QRect());
    EXPECT_EQ(product->icon(), nullptr) << "drawing leaves the product as it is";
    EXPECT_EQ(product->image(), QByteArray("no picture at all"));
}

TEST(ProductRowDelegate, SelectedRowsDrawTheirTextWhite)
{
    auto product = TillboxProduct::create();
    const QImage selected = render({product.get(), true});
    const QRect text(52, 0, kWidth - 62, kHeight);
    EXPECT_FALSE(pixelsWhere(selected, text.left(), text.right(), [](QColor c) { return c.lightness() > 245; }).isEmpty());
    EXPECT_TRUE(pixelsWhere(selected, text.left(), text.right(), dark).isEmpty());
}

} // namespace
