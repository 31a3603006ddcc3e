#include "util/styledtext.h"

#include <algorithm>

bool TextFont::isBold() const
{
    return name.contains(QLatin1String("Bold"), Qt::CaseInsensitive)
        || name.contains(QLatin1String("Black"), Qt::CaseInsensitive)
        || name.contains(QLatin1String("Heavy"), Qt::CaseInsensitive);
}

bool TextFont::isItalic() const
{
    return name.contains(QLatin1String("Italic"), Qt::CaseInsensitive)
        || name.contains(QLatin1String("Oblique"), Qt::CaseInsensitive);
}

StyledText::StyledText(const QString &plain)
{
    append(plain);
}

void StyledText::append(const QString &text, const TextAttributes &attributes)
{
    if (text.isEmpty())
        return;
    m_text += text;
    if (!m_runs.isEmpty() && m_runs.last().attributes == attributes)
        m_runs.last().length += int(text.size());
    else
        m_runs.append(StyledRun{int(text.size()), attributes});
}

QList<StyledRun> StyledText::coveringRuns() const
{
    QList<StyledRun> runs = m_runs;
    qsizetype covered = 0;
    for (const StyledRun &run : runs)
        covered += std::max(run.length, 0);
    if (covered < m_text.size())
        runs.append(StyledRun{int(m_text.size() - covered), TextAttributes{}});
    return runs;
}
