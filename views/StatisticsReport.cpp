#include "views/StatisticsReport.h"

#include "views/StatisticsSheet.h"

#include <QStringList>

QString statisticsReport(const StatisticsSheet& sheet)
{
    using Column = StatisticsSheet::Column;
    const Column columns[] = {Column::Rtotal, Column::Rnumber, Column::Mtotal, Column::Mnumber};
    QStringList lines;
    lines << sheet.caption(QStringLiteral("Caption"));
    // The header names the row column and the four count columns; laid out over the same
    // widths as the rows when it has those five titles.
    const QStringList titles = sheet.columnTitles();
    if (titles.size() == 5) {
        QString line = QStringLiteral("%1").arg(titles[0], -18);
        for (int i = 1; i < 5; ++i)
            line += QStringLiteral("%1").arg(titles[i], 11);
        lines << line;
    } else {
        lines << sheet.text(QStringLiteral("dbrecords(0)"));
    }
    const QStringList& rows = StatisticsSheet::rowNames();
    for (int i = 0; i < rows.size(); ++i) {
        if (!StatisticsSheet::isTotalsRow(i) && !sheet.isRowEnabled(rows[i]))
            continue;
        QString line = QStringLiteral("%1").arg(sheet.caption(rows[i]), -18);
        for (Column c : columns)
            line += QStringLiteral("%1").arg(sheet.text(StatisticsSheet::rowBox(c, i)), 11);
        lines << line;
    }
    lines << QStringLiteral("%1 - %2").arg(sheet.text(QStringLiteral("Function")).trimmed(),
                                           sheet.text(QStringLiteral("Progress")).trimmed());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}
