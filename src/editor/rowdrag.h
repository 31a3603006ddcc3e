#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

class QMimeData;
class QObject;

// The row types of the editor's tables, used as the drag data's formats.
inline const QString TBXProductRowType = QStringLiteral("TBX_PRODUCT_ROW_TYPE");
inline const QString TBXOptionRowType = QStringLiteral("TBX_OPTION_ROW_TYPE");
inline const QString TBXOptionValueRowType = QStringLiteral("TBX_OPTION_VALUE_ROW_TYPE");

// Row drags between the editor's tables: the dragged row numbers, as the
// keyed archive of an index set, under the table's row type. The data also
// remembers which table model it came from, so that a table can tell its own
// rows from rows of another page's table of the same kind.
class RowDrag
{
public:
    RowDrag() = delete;

    static QMimeData *mimeData(const QString &rowType, const QList<int> &rows, const QObject *source);
    // The rows stored under rowType, ascending; absent when there are none or
    // they do not read.
    static std::optional<QList<int>> rows(const QMimeData *data, const QString &rowType);
    // The model that started the drag; null for data from anywhere else.
    static const QObject *source(const QMimeData *data);

    static QByteArray archivedIndexSet(const QList<int> &rows);
    static std::optional<QList<int>> indexSetFromArchive(const QByteArray &archive);
};
