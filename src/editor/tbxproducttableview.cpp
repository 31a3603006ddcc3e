#include "editor/tbxproducttableview.h"

#include "editor/producttablemodel.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

TBXProductTableView::TBXProductTableView(QWidget *parent) : RecordTableView(parent)
{
    setObjectName(QStringLiteral("productsTableView"));
    setAccessibleName(tr("Products"));
}

std::optional<QStringList> TBXProductTableView::droppedFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile() || !QFileInfo(url.toLocalFile()).isFile())
            return std::nullopt;
        paths.append(url.toLocalFile());
    }
    return paths;
}

bool TBXProductTableView::acceptsForeignDrop(const QMimeData *data) const
{
    return data && data->hasUrls();
}

bool TBXProductTableView::canDropForeign(const QMimeData *data) const
{
    return droppedFiles(data).has_value();
}

bool TBXProductTableView::dropForeign(QDropEvent *event)
{
    auto *products = qobject_cast<ProductTableModel *>(recordModel());
    const std::optional<QStringList> paths = droppedFiles(event->mimeData());
    return products && paths && !paths->isEmpty() && products->acceptFilenameDrags(*paths);
}
