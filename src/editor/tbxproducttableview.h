#pragma once

#include "editor/recordtableview.h"

#include <QStringList>

#include <optional>

// The product table: besides its own rows it takes files from the file
// manager (a list of URLs), one new product per file. Only local files are
// taken; a web address or a folder refuses the whole drop.
class TBXProductTableView : public RecordTableView
{
    Q_OBJECT

public:
    explicit TBXProductTableView(QWidget *parent = nullptr);

    // The local files a drop names; absent when it names anything else.
    static std::optional<QStringList> droppedFiles(const QMimeData *data);

protected:
    bool acceptsForeignDrop(const QMimeData *data) const override;
    bool canDropForeign(const QMimeData *data) const override;
    bool dropForeign(QDropEvent *event) override;
};
