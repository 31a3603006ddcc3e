// Times the product table of the shop editor at 10,000 products, each with
// its own 400 x 300 JPEG picture: the first paint of the editor once the page
// is loaded, scrolling the table from top to bottom a page at a time with the
// product row cell against the same scroll with a plain text cell, and a
// keystroke in the product search.
//
// Usage: editor_table_bench [products] [cold]
// With "cold" the scroll starts at once, while the pictures are still being
// fitted on other threads.

#include "benchpage.h"
#include "editor/productfiltermodel.h"
#include "editor/productlistpane.h"
#include "editor/shopeditor.h"
#include "editor/shopeditorview.h"
#include "editor/tbxproducttableview.h"
#include "editor/tillboxcustomcell.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUndoStack>

#include <algorithm>
#include <cstdio>

namespace {


struct Times
{
    double wall = 0;
    double cpu = 0;
};

template <class F>
Times timed(F &&work)
{
    QElapsedTimer timer;
    const double cpu = benchpage::cpuSeconds(RUSAGE_SELF);
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e6, (benchpage::cpuSeconds(RUSAGE_SELF) - cpu) * 1e3};
}

// Pages through the whole table, painting each page as the screen would.
// Paints a widget as the screen would, into an image of its size.
void paint(QWidget *widget)
{
    static QImage canvas;
    if (canvas.size() != widget->size())
        canvas = QImage(widget->size(), QImage::Format_ARGB32_Premultiplied);
    widget->render(&canvas);
}

Times scrollEndToEnd(QAbstractItemView &table)
{
    QScrollBar *bar = table.verticalScrollBar();
    bar->setValue(0);
    return timed([&] {
        for (int value = 0;; value += bar->pageStep()) {
            bar->setValue(std::min(value, bar->maximum()));
            paint(table.viewport());
            if (value >= bar->maximum())
                break;
        }
    });
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The editor's news tab embeds a browser: no sandbox when run as root,
    // no feed fetched, contexts shared as it asks.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("TILLBOX_FEED_URL", "");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;

    const auto page = benchpage::makePage(count, benchpage::gradientJpeg(400, 300));
    QUndoStack stack;
    // Opens the page's editor and paints it once; the first editor of the
    // process also starts the embedded browser of the news tab.
    const auto openEditor = [&](TillboxPlugin &shown, std::unique_ptr<ShopEditor> &editor) {
        const Times made = timed([&] {
            editor = std::make_unique<ShopEditor>(shown, &stack);
            shown.setEditor(editor.get());
        });
        const Times painted = timed([&] {
            ShopEditorView *view = editor->view();
            view->resize(1000, 700);
            view->show();
            paint(view);
        });
        std::printf("  made %.1f ms wall (%.1f CPU), first paint %.1f ms wall (%.1f CPU): %.1f ms in all "
                    "(target < 300 ms)\n",
                    made.wall, made.cpu, painted.wall, painted.cpu, made.wall + painted.wall);
    };
    std::printf("products: %d\n", count);
    std::printf("editor of the page, opened after loading:\n");
    std::unique_ptr<ShopEditor> editor;
    openEditor(*page, editor);
    {
        std::printf("the same for a second page of the same size, in the same process:\n");
        const auto second = benchpage::makePage(count, benchpage::gradientJpeg(400, 300));
        std::unique_ptr<ShopEditor> secondEditor;
        openEditor(*second, secondEditor);
        second->setEditor(nullptr);
    }

    ProductListPane *list = editor->view()->productList();
    TBXProductTableView *table = list->table();
    QAbstractItemDelegate *cell = table->itemDelegate();
    QStyledItemDelegate plain;

    const bool cold = argc > 2 && QByteArray(argv[2]) == "cold";
    const Times prepared = timed([&] {
        if (!cold)
            list->cell()->waitForPrepared();
    });
    std::printf("pictures fitted on other threads, waited for: %.1f ms wall after the first paint\n", prepared.wall);

    table->setItemDelegate(&plain);
    const Times plainScroll = scrollEndToEnd(*table);
    table->setItemDelegate(cell);
    const Times cellScroll = scrollEndToEnd(*table);
    const Times cellAgain = scrollEndToEnd(*table);
    std::printf("scroll end to end (%d rows, %d-row pages):\n", count,
                table->viewport()->height() / std::max(1, table->rowHeight(0)));
    std::printf("  plain text cell:             %8.1f ms wall, %8.1f ms CPU\n", plainScroll.wall, plainScroll.cpu);
    std::printf("  product row cell, first run: %8.1f ms wall, %8.1f ms CPU (%.2fx plain; target <= 1.5x)\n",
                cellScroll.wall, cellScroll.cpu, cellScroll.cpu / std::max(0.001, plainScroll.cpu));
    std::printf("  product row cell, again:     %8.1f ms wall, %8.1f ms CPU (%.2fx plain)\n", cellAgain.wall,
                cellAgain.cpu, cellAgain.cpu / std::max(0.001, plainScroll.cpu));

    // The search: each keystroke filters, keeps the selection shown and repaints.
    QLineEdit *search = list->searchField();
    double worst = 0;
    double total = 0;
    int keys = 0;
    for (const QString &typed : {QStringLiteral("product 9"), QStringLiteral("sku-0012")}) {
        search->clear();
        for (QChar key : typed) {
            const Times keystroke = timed([&] {
                search->insert(QString(key));
                paint(table->viewport());
            });
            worst = std::max(worst, keystroke.wall);
            total += keystroke.wall;
            ++keys;
        }
        std::printf("  \"%s\" leaves %d rows\n", qPrintable(typed), list->filter()->rowCount());
    }
    const Times clearing = timed([&] {
        search->clear();
        paint(table->viewport());
    });
    std::printf("search keystroke: %.1f ms mean, %.1f ms worst of %d; clearing %.1f ms (target < 50 ms)\n",
                total / keys, worst, keys, clearing.wall);

    // List steps at this size: each reaches every view of the list.
    const Times add = timed([&] { list->addProduct(); });
    const Times undo = timed([&] { stack.undo(); });
    std::printf("add product: %.1f ms, undoing it: %.1f ms\n", add.wall, undo.wall);
    page->setEditor(nullptr);
    return 0;
}
