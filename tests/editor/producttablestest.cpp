#include "editortest.h"

#include "editor/optionspane.h"
#include "editor/shoptextspane.h"
#include "editor/optiontablemodel.h"
#include "editor/optionvaluetablemodel.h"
#include "editor/productfiltermodel.h"
#include "editor/productlistpane.h"
#include "editor/producttablemodel.h"
#include "editor/recordtableview.h"
#include "editor/rowdrag.h"
#include "editor/shopeditorview.h"
#include "editor/shoptextstablemodel.h"
#include "editor/tbximageview.h"
#include "editor/tbxproducttableview.h"

#include "catalogue/tillboxoption.h"
#include "catalogue/tillboxproduct.h"
#include "plugin/tillboxplugin.h"
#include "settings/tillboxglobalsettings.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using Tester = QAbstractItemModelTester;

class ProductTablesTest : public ContextTest
{
protected:
    void SetUp() override
    {
        pane = std::make_unique<ProductListPane>(context);
        options = std::make_unique<OptionsPane>(context);
        new Tester(pane->model(), Tester::FailureReportingMode::Fatal, pane.get());
        new Tester(pane->filter(), Tester::FailureReportingMode::Fatal, pane.get());
        new Tester(options->options(), Tester::FailureReportingMode::Fatal, options.get());
        new Tester(options->values(), Tester::FailureReportingMode::Fatal, options.get());
    }

    void addNamed(const QString &letters)
    {
        TillboxPlugin::ProductList products;
        for (QChar letter : letters) {
            auto product = TillboxProduct::create();
            product->setName(letter);
            product->setSKU(QStringLiteral("SKU-") + letter);
            products.append(product);
        }
        plugin->productController().addObjects(products);
    }

    QString names() const
    {
        QString result;
        for (const auto &product : plugin->products())
            result += product->name();
        return result;
    }

    // Drops data on a table's empty space below its rows, as a user lets go.
    static void dropBelowRows(QAbstractItemView &view, QMimeData *data)
    {
        view.window()->resize(700, 600);
        view.window()->show();
        const QPoint at(20, view.viewport()->height() - 5);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
        QDropEvent drop(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &drop);
    }

    std::unique_ptr<ProductListPane> pane;
    std::unique_ptr<OptionsPane> options;
};

TEST_F(ProductTablesTest, DroppedRowsMoveAsOneBlockAndUndoRestores)
{
    addNamed(QStringLiteral("ABCDE"));
    ProductTableModel &model = *pane->model();
    const struct
    {
        QList<int> rows;
        int target;
        const char *result;
    } moves[] = {{{1, 3}, 5, "ACEBD"}, {{4}, 0, "EABCD"}, {{2}, 2, "ABCDE"},
                 {{2}, 3, "ABCDE"},   {{0, 4}, 2, "BAECD"}, {{0, 1}, 4, "CDABE"}};
    for (const auto &move : moves) {
        SCOPED_TRACE(move.result);
        stack.clear();
        QModelIndexList dragged;
        for (int row : move.rows)
            dragged << model.index(row, 0);
        std::unique_ptr<QMimeData> data(model.mimeData(dragged));
        ASSERT_TRUE(model.canDropMimeData(data.get(), Qt::MoveAction, move.target, 0, {}));
        const bool moved = model.dropMimeData(data.get(), Qt::MoveAction, move.target, 0, {});

        EXPECT_EQ(names(), QLatin1String(move.result));
        const bool changes = names() != QLatin1String("ABCDE");
        EXPECT_EQ(moved, changes);
        EXPECT_EQ(stack.count(), changes ? 1 : 0);
        if (changes) {
            EXPECT_EQ(plugin->productController().selectedProduct()->name(), QString(QLatin1Char('A' + move.rows.first())))
                << "the moved rows stay selected";
            stack.undo();
            EXPECT_EQ(names(), QStringLiteral("ABCDE"));
            stack.redo();
            EXPECT_EQ(names(), QLatin1String(move.result));
            stack.undo();
        }
    }
}

TEST_F(ProductTablesTest, ARealDropOnTheTableMovesRowsAndLosesNoneAndOtherTablesIgnoreThem)
{
    addNamed(QStringLiteral("ABCDE"));
    plugin->products().at(0)->optionsArray() = {TillboxOption::create(), TillboxOption::create()};
    plugin->productController().setSelectionIndex(0);
    ProductTableModel &model = *pane->model();

    // Product rows on the options table: a copy onto the table that changes nothing.
    dropBelowRows(*options->optionsTable(), model.mimeData({model.index(0, 0)}));
    EXPECT_EQ(options->options()->rowCount(), 2);
    EXPECT_EQ(stack.count(), 0);

    // A payload that does not read is refused.
    std::unique_ptr<QMimeData> damaged(model.mimeData({model.index(1, 0)}));
    damaged->setData(TBXProductRowType, "not an archive");
    EXPECT_FALSE(model.dropMimeData(damaged.get(), Qt::MoveAction, 5, 0, {}));
    EXPECT_EQ(names(), QStringLiteral("ABCDE"));

    QMimeData *rows = model.mimeData({model.index(1, 0), model.index(3, 0)});
    dropBelowRows(*pane->table(), rows);
    EXPECT_EQ(names(), QStringLiteral("ACEBD"));
    EXPECT_EQ(pane->table()->selectedRows(), (QList<int>{3, 4}));
    delete rows;
}

TEST_F(ProductTablesTest, DroppedFilesBecomeProductsInOrderAndOnlyLocalFilesAreTaken)
{
    QTemporaryDir dir;
    QStringList paths;
    for (const char *name : {"shirt.png", "cap.jpg", "notes.txt"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not really a picture");
        paths << file.fileName();
    }
    addNamed(QStringLiteral("A"));
    const auto drop = [this](const QList<QUrl> &urls) {
        auto *data = new QMimeData;
        data->setUrls(urls);
        dropBelowRows(*pane->table(), data);
        delete data;
    };

    // Refused whole: a web address among the files, a folder.
    drop({QUrl::fromLocalFile(paths[0]), QUrl(QStringLiteral("https://example.com/cap.jpg"))});
    drop({QUrl::fromLocalFile(dir.path())});
    EXPECT_EQ(names(), QStringLiteral("A"));
    EXPECT_EQ(stack.count(), 0);

    drop({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1]), QUrl::fromLocalFile(paths[2])});
    EXPECT_EQ(names(), QStringLiteral("Ashirtcapnotes"));
    const auto last = plugin->productController().selectedProduct();
    EXPECT_EQ(last, plugin->products().last());
    EXPECT_EQ(last->SKU(), QStringLiteral("notes"));
    EXPECT_EQ(last->imageName(), QStringLiteral("notes.txt"));
    EXPECT_EQ(last->image(), QByteArray("not really a picture")) << "a file that is no picture is still taken";
    EXPECT_EQ(stack.count(), 1);
    stack.undo();
    EXPECT_EQ(names(), QStringLiteral("A"));

    // Files the picture well hands on: from the last to the first.
    ShopEditorView editor(context);
    Q_EMIT editor.findChild<TBXImageView *>()->filesForNewProducts({paths[0], paths[1]});
    EXPECT_EQ(names(), QStringLiteral("Acapshirt"));
}

TEST_F(ProductTablesTest, ListCommandsFollowTheShopAndUndo)
{
    plugin->globalSettings()->setDefaultTaxRate(7.5f);
    addNamed(QStringLiteral("AB"));
    QSignalSpy changed(plugin.get(), &RWAbstractPlugin::pluginChanged);

    pane->addProduct();
    ASSERT_EQ(plugin->products().size(), 3);
    const auto added = plugin->products().last();
    EXPECT_EQ(plugin->productController().selectedProduct(), added);
    EXPECT_FLOAT_EQ(added->taxRate(), 7.5f);
    EXPECT_EQ(pane->table()->selectedRows(), QList<int>{2});

    plugin->productController().setSelectionIndex(0);
    pane->duplicateProduct();
    const auto copy = plugin->products().last();
    EXPECT_EQ(copy->name(), QStringLiteral("A"));
    EXPECT_NE(copy->productID(), plugin->products().first()->productID());

    pane->table()->selectionModel()->clearSelection();
    const int steps = stack.count();
    changed.clear();
    pane->removeProduct();
    EXPECT_EQ(plugin->products().size(), 4) << "nothing selected, nothing removed";
    EXPECT_EQ(stack.count(), steps);
    EXPECT_GE(changed.count(), 1) << "the page is told all the same";

    pane->table()->selectRow(1);
    pane->table()->selectionModel()->select(pane->model()->index(3, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pane->removeProduct();
    EXPECT_EQ(names(), QStringLiteral("A") + added->name());
    stack.undo();
    EXPECT_EQ(names(), QStringLiteral("AB") + added->name() + QStringLiteral("A"));
    EXPECT_EQ(plugin->products().at(3), copy);
    stack.undo();
    stack.undo();
    EXPECT_EQ(names(), QStringLiteral("AB"));
}

TEST_F(ProductTablesTest, OptionsAndValuesFollowTheSelectionAndUndoReachesTheirProduct)
{
    addNamed(QStringLiteral("AB"));
    plugin->productController().setSelectionIndex(0);
    options->addOption();
    options->addOption();
    options->addOptionValue();
    const auto first = plugin->products().at(0);
    ASSERT_EQ(first->optionsArray().size(), 2);
    EXPECT_EQ(options->options()->selectionIndex(), 1);
    EXPECT_EQ(options->values()->option(), first->optionsArray().at(1));
    EXPECT_EQ(first->optionsArray().at(1)->optionValuesArray().size(), 1);

    plugin->productController().setSelectionIndex(1);
    EXPECT_EQ(options->options()->rowCount(), 0);
    stack.undo(); // the value, on an option no longer shown
    stack.undo(); // the second option
    EXPECT_EQ(first->optionsArray().size(), 1);
    EXPECT_EQ(options->options()->rowCount(), 0);
    plugin->productController().setSelectionIndex(0);
    EXPECT_EQ(options->options()->rowCount(), 1);
}

TEST_F(ProductTablesTest, EmptyNamesAreRefusedExceptForProducts)
{
    addNamed(QStringLiteral("A"));
    options->addOption();
    options->addOptionValue();
    ShopTextsTableModel texts(context);
    Tester tester(&texts, Tester::FailureReportingMode::Fatal);
    const struct
    {
        QAbstractItemModel *model;
        bool allowed;
    } tables[] = {{pane->model(), true}, {options->options(), false}, {options->values(), false}, {&texts, false}};
    for (const auto &table : tables) {
        const QModelIndex first = table.model->index(0, 0);
        const QString before = first.data().toString();
        EXPECT_EQ(table.model->setData(first, QString()), table.allowed) << table.model->metaObject()->className();
        EXPECT_EQ(first.data().toString().isEmpty(), table.allowed);
        if (table.allowed)
            stack.undo();
        EXPECT_EQ(first.data().toString(), before);
        EXPECT_TRUE(table.model->setData(first, QStringLiteral("Renamed")));
        EXPECT_EQ(first.data().toString(), QStringLiteral("Renamed"));
    }

    // Starting to edit a cell of any table marks the page changed at once.
    ShopTextsPane textsPane(context);
    for (QAbstractItemView *view : std::initializer_list<QAbstractItemView *>{
             pane->table(), options->optionsTable(), options->valuesTable(), textsPane.table()}) {
        QSignalSpy changed(plugin.get(), &RWAbstractPlugin::pluginChanged);
        view->show();
        view->setCurrentIndex(view->model()->index(0, 0));
        QTest::keyClick(view, Qt::Key_F2);
        EXPECT_GE(changed.count(), 1) << view->objectName().toStdString();
    }

    // Shop texts: keys in case-sensitive order (capitals before small letters).
    const QStringList keys = texts.keys();
    QStringList sorted = keys;
    std::sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) { return a.compare(b) < 0; });
    ASSERT_FALSE(keys.isEmpty());
    EXPECT_EQ(keys, sorted);
}

TEST_F(ProductTablesTest, SearchFiltersRowsKeepsTheSelectionShownAndStopsReordering)
{
    addNamed(QStringLiteral("ABCDE"));
    plugin->products().at(3)->setStyledProductDescription(StyledText(QStringLiteral("A cotton shirt")));
    plugin->productController().setSelectionIndex(0);
    QLineEdit *search = pane->searchField();

    QTest::keyClicks(search, QStringLiteral("SHIRT"));
    EXPECT_EQ(pane->filter()->rowCount(), 1);
    EXPECT_EQ(plugin->productController().selectedProduct(), plugin->products().at(3));
    EXPECT_EQ(pane->table()->selectedRows(), QList<int>{3});
    EXPECT_FALSE(pane->table()->dragEnabled());

    search->clear();
    EXPECT_EQ(pane->filter()->rowCount(), 5);
    EXPECT_EQ(names(), QStringLiteral("ABCDE"));
    EXPECT_TRUE(pane->table()->dragEnabled());
    EXPECT_EQ(plugin->productController().selectionIndex(), 3);

    QTest::keyClicks(search, QStringLiteral("sku-b"));
    EXPECT_EQ(plugin->productController().selectionIndex(), 1);
    QTest::keyClicks(search, QStringLiteral("zzz"));
    EXPECT_EQ(plugin->productController().selectionIndex(), -1);
}

} // namespace
