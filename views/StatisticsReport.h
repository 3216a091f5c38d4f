#pragma once

#include <QString>

class StatisticsSheet;

// The statistics window as plain text, for runs without windows: the caption, the column
// header, one line per table with its four counts, the totals, and the last status.
QString statisticsReport(const StatisticsSheet& sheet);
