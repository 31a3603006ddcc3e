#include "editor/rowdrag.h"

#include "archive/keyedarchiver.h"

#include <QMimeData>
#include <QPointer>

#include <algorithm>

namespace {

// More rows than any table holds: a foreign archive cannot make us allocate
// without bound.
constexpr qint64 kMaxRows = 10'000'000;

// The archived form of a set of row numbers: its ranges, one inline when
// there is only one, otherwise packed as variable-length numbers.
struct IndexSet
{
    QList<int> rows;

    static QStringList archiveClassNames()
    {
        return {QStringLiteral("NSMutableIndexSet"), QStringLiteral("NSIndexSet"), QStringLiteral("NSObject")};
    }

    QList<std::pair<qint64, qint64>> ranges() const
    {
        QList<std::pair<qint64, qint64>> result;
        for (int row : rows) {
            if (!result.isEmpty() && result.last().first + result.last().second == row)
                ++result.last().second;
            else
                result.append({row, 1});
        }
        return result;
    }

    static void appendNumber(QByteArray &data, quint64 value)
    {
        do {
            quint8 byte = value & 0x7f;
            value >>= 7;
            data.append(char(value ? byte | 0x80 : byte));
        } while (value);
    }

    static std::optional<quint64> readNumber(const QByteArray &data, int &at)
    {
        quint64 value = 0;
        for (int shift = 0; at < data.size() && shift < 63; shift += 7) {
            const auto byte = quint8(data[at++]);
            value |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return value;
        }
        return std::nullopt;
    }

    void encodeWithCoder(KeyedArchiver &coder) const
    {
        const auto list = ranges();
        coder.encodeIntNumber("NSRangeCount", list.size());
        if (list.size() == 1) {
            coder.encodeIntNumber("NSLocation", list.first().first);
            coder.encodeIntNumber("NSLength", list.first().second);
        } else if (list.size() > 1) {
            QByteArray data;
            for (const auto &[location, length] : list) {
                appendNumber(data, quint64(location));
                appendNumber(data, quint64(length));
            }
            coder.encodeData("NSRangeData", data);
        }
    }

    static std::shared_ptr<IndexSet> initWithCoder(KeyedUnarchiver &coder)
    {
        auto set = std::make_shared<IndexSet>();
        QList<std::pair<qint64, qint64>> list;
        const qint64 count = coder.decodeInteger("NSRangeCount");
        if (count == 1) {
            list.append({coder.decodeInteger("NSLocation"), coder.decodeInteger("NSLength")});
        } else if (count > 1) {
            const QByteArray data = coder.decodeData("NSRangeData");
            int at = 0;
            for (qint64 i = 0; i < count && i < kMaxRows; ++i) {
                const auto location = readNumber(data, at);
                const auto length = readNumber(data, at);
                if (!location || !length) {
                    coder.failWithError(QStringLiteral("The row ranges are damaged."));
                    return set;
                }
                list.append({qint64(std::min<quint64>(*location, kMaxRows)), qint64(std::min<quint64>(*length, kMaxRows))});
            }
        }
        qint64 total = 0;
        for (const auto &[location, length] : list) {
            total += length;
            if (location < 0 || length < 0 || location + length > kMaxRows || total > kMaxRows) {
                coder.failWithError(QStringLiteral("The row ranges are out of bounds."));
                return set;
            }
            for (qint64 row = location; row < location + length; ++row)
                set->rows.append(int(row));
        }
        std::sort(set->rows.begin(), set->rows.end());
        set->rows.erase(std::unique(set->rows.begin(), set->rows.end()), set->rows.end());
        return set;
    }
};

class RowMimeData : public QMimeData
{
public:
    explicit RowMimeData(const QObject *source) : m_source(const_cast<QObject *>(source)) {}
    const QObject *source() const { return m_source; }

private:
    QPointer<QObject> m_source;
};

} // namespace

QByteArray RowDrag::archivedIndexSet(const QList<int> &rows)
{
    IndexSet set{rows};
    std::sort(set.rows.begin(), set.rows.end());
    set.rows.erase(std::unique(set.rows.begin(), set.rows.end()), set.rows.end());
    return KeyedArchiver::archivedData(set);
}

std::optional<QList<int>> RowDrag::indexSetFromArchive(const QByteArray &archive)
{
    KeyedUnarchiver coder;
    if (!coder.open(archive))
        return std::nullopt;
    const auto set = coder.decodeRootObject<IndexSet>();
    if (!set || coder.hasError())
        return std::nullopt;
    return set->rows;
}

QMimeData *RowDrag::mimeData(const QString &rowType, const QList<int> &rows, const QObject *source)
{
    auto *data = new RowMimeData(source);
    data->setData(rowType, archivedIndexSet(rows));
    return data;
}

std::optional<QList<int>> RowDrag::rows(const QMimeData *data, const QString &rowType)
{
    if (!data || !data->hasFormat(rowType))
        return std::nullopt;
    return indexSetFromArchive(data->data(rowType));
}

const QObject *RowDrag::source(const QMimeData *data)
{
    const auto *rows = dynamic_cast<const RowMimeData *>(data);
    return rows ? rows->source() : nullptr;
}
