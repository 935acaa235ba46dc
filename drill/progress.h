#pragma once

#include "core/history_record.h"

#include <optional>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

namespace kb {

// The history as the progress chart draws it: one point per record whose
// texts can be read as figures, in file order.
struct ProgressPoint {
    int row = 0;      // the record's row in the history grid, from 1
    qint64 when = 0;  // date and time saved, milliseconds since 1970 in local time
    int score = 0;    // the score column
    double speed = 0; // characters per second, from the speed column
    double rate = 0;  // accepted answers in percent, from the rate column
    int seconds = 0;  // round length, from the length column
    QString set;      // the set text as saved
};

struct ProgressData {
    std::vector<ProgressPoint> points;
    int unreadable = 0;  // records skipped because a figure could not be read
    QList<QString> sets; // distinct set texts, in order of first appearance
    QList<int> lengths;  // distinct round lengths, ascending
};

// Reads records as saved; the first is row 1. Never throws.
ProgressData readProgress(const std::vector<HistoryRecord>& records);
// Adds the record saved as the given row (a save while the chart is open).
void addProgress(ProgressData& data, const HistoryRecord& record, int row);

enum class ProgressView { Score, Speed };

// Which rounds are shown: nullopt lets every set, or every length, through.
struct ProgressFilter {
    std::optional<QString> set;
    std::optional<int> seconds;
    bool operator==(const ProgressFilter&) const = default;
};
// The set and length of the newest readable record; everything when there is none.
ProgressFilter defaultFilter(const ProgressData& data);

// What the chart draws for one view and filter.
struct ProgressSeries {
    std::vector<int> points;        // indices into ProgressData::points, in file order
    QList<QPointF> values;          // x: when, y: the score or the speed
    QList<QPointF> average;         // mean of the last 10 shown rounds up to each one
    QList<QPointF> rate;            // x: when, y: rate in percent
    int best = -1;                  // index into values of the first round with the top value
    double lowest = 0, highest = 0; // of values and average, for the axis
};
ProgressSeries progressSeries(const ProgressData& data, ProgressView view,
                              const ProgressFilter& filter);

// What the eye can tell apart on a plot of columns x rows pixels showing
// range (x from left, y from top = lowest value): a line keeps the first,
// lowest, highest and last point of each run of points within one column;
// dots keep the first point to fall on each pixel. Order is kept.
QList<QPointF> thinLine(const QList<QPointF>& line, const QRectF& range, int columns);
QList<QPointF> thinDots(const QList<QPointF>& dots, const QRectF& range, int columns, int rows);

// A line a screen reader reads under the chart: rounds shown, the best with
// its date, the latest, the mean of the last 10, and the unreadable records.
QString progressSummary(const ProgressData& data, const ProgressSeries& series, ProgressView view);

// The date axis over rounds from first to last (ms since the epoch): half a
// day beyond each end, or a 40th of the span where that is more; its labels
// show the year when the rounds span more than one calendar year, and the
// time when its ticks stand less than a day apart and would repeat a date.
constexpr int kDateAxisTicks = 6;
struct DateAxis {
    qint64 from;
    qint64 to;
    QString format;
};
DateAxis dateAxis(qint64 first, qint64 last);

} // namespace kb
