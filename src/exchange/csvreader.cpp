#include "exchange/csvreader.h"

#include <QStringDecoder>

bool CsvReader::read(const QByteArray &bytes, QList<Record> *records, QString *error)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("the text is not UTF-8");
        return false;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    records->clear();
    const qsizetype size = text.size();
    const QChar *c = text.constData();
    qsizetype i = 0;
    int line = 1;
    const auto fail = [&](int at, const QString &reason) {
        *error = QStringLiteral("line %1: %2").arg(at).arg(reason);
        return false;
    };
    // Consumes a line end at i, if any; true when there was one.
    const auto takeLineEnd = [&] {
        if (i < size && c[i] == QLatin1Char('\r')) {
            ++i;
            if (i < size && c[i] == QLatin1Char('\n'))
                ++i;
        } else if (i < size && c[i] == QLatin1Char('\n')) {
            ++i;
        } else {
            return false;
        }
        ++line;
        return true;
    };

    while (i < size) {
        if (takeLineEnd())
            continue; // an empty line
        Record record;
        record.line = line;
        for (;;) {
            QString field;
            if (c[i] == QLatin1Char('"')) {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i >= size)
                        return fail(opened, QStringLiteral("a quoted field is not closed"));
                    if (c[i] == QLatin1Char('"')) {
                        if (i + 1 < size && c[i + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    // "\r\n" inside a field counts as one line break.
                    const bool crBeforeLf = c[i] == QLatin1Char('\r') && i + 1 < size && c[i + 1] == QLatin1Char('\n');
                    if (c[i] == QLatin1Char('\n') || (c[i] == QLatin1Char('\r') && !crBeforeLf))
                        ++line;
                    field += c[i++];
                }
                if (i < size && c[i] != QLatin1Char(',') && c[i] != QLatin1Char('\n') && c[i] != QLatin1Char('\r'))
                    return fail(line, QStringLiteral("text follows a closing quote"));
            } else {
                const qsizetype start = i;
                while (i < size && c[i] != QLatin1Char(',') && c[i] != QLatin1Char('\n') && c[i] != QLatin1Char('\r')) {
                    if (c[i] == QLatin1Char('"'))
                        return fail(line, QStringLiteral("a quote inside a field that is not quoted"));
                    ++i;
                }
                field = text.mid(start, i - start);
            }
            record.fields.append(field);
            if (i < size && c[i] == QLatin1Char(',')) {
                ++i;
                if (i >= size) {
                    record.fields.append(QString());
                    break;
                }
                if (c[i] == QLatin1Char('\n') || c[i] == QLatin1Char('\r')) {
                    record.fields.append(QString());
                    break;
                }
                continue;
            }
            break;
        }
        takeLineEnd();
        records->append(record);
    }
    return true;
}
