#include "progress.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <QDateTime>
#include <QSet>

namespace kb {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// An unsigned integer of minDigits to maxDigits ASCII digits, nothing else.
std::optional<int> digits(QStringView s, qsizetype minDigits, qsizetype maxDigits) {
    if (s.size() < minDigits || s.size() > maxDigits) return std::nullopt;
    int v = 0;
    for (QChar c : s) {
        if (!isDigit(c)) return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

// Splits "a<sep>b<sep>c"; a further separator stays in c, where digits() rejects it.
bool split3(QStringView s, char16_t sep, QStringView (&out)[3]) {
    const qsizetype a = s.indexOf(QChar(sep));
    const qsizetype b = a < 0 ? -1 : s.indexOf(QChar(sep), a + 1);
    if (b < 0) return false;
    out[0] = s.first(a);
    out[1] = s.sliced(a + 1, b - a - 1);
    out[2] = s.sliced(b + 1);
    return true;
}

QStringView withoutSuffix(QStringView s, QStringView suffix) {
    return s.endsWith(suffix) ? s.chopped(suffix.size()) : s;
}

// Digits with at most one '.', a digit on each side of it; no sign, blank or exponent.
std::optional<double> decimal(QStringView s) {
    const qsizetype dot = s.indexOf(u'.');
    if (s.isEmpty() || dot == 0 || dot == s.size() - 1) return std::nullopt;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (i != dot && !isDigit(s[i])) return std::nullopt;
    // Up to 15 digits are exact in a double, so one division rounds correctly;
    // toDouble is many times slower and only needed for longer texts.
    if (s.size() > 15) {
        bool ok = false;
        const double v = s.toDouble(&ok);
        return ok ? std::optional<double>(v) : std::nullopt;
    }
    static constexpr double tens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6, 1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14};
    qint64 mantissa = 0;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (i != dot) mantissa = mantissa * 10 + (s[i].unicode() - u'0');
    return double(mantissa) / tens[dot < 0 ? 0 : s.size() - dot - 1];
}

std::optional<int> positiveInt(QStringView s) {
    if (s.isEmpty()) return std::nullopt;
    qint64 v = 0;
    for (QChar c : s) {
        if (!isDigit(c)) return std::nullopt;
        v = v * 10 + (c.unicode() - u'0');
        if (v > INT_MAX) return std::nullopt;
    }
    return v > 0 ? std::optional<int>(int(v)) : std::nullopt;
}

// Turns records into points. A local QDateTime costs more than the rest of a record
// (it re-reads the zone file each time), so it is built once per distinct day at most.
class PointReader {
public:
    std::optional<ProgressPoint> read(const HistoryRecord& r, int row) {
        QStringView d[3], t[3];
        if (!split3(r.date, u'/', d) || !split3(r.time, u':', t)) return std::nullopt;
        const auto y = digits(d[0], 4, 4), mo = digits(d[1], 1, 2), da = digits(d[2], 1, 2);
        const auto h = digits(t[0], 1, 2), mi = digits(t[1], 1, 2), s = digits(t[2], 1, 2);
        if (!y || !mo || !da || !h || !mi || !s) return std::nullopt;
        if (!QDate::isValid(*y, *mo, *da) || *h > 23 || *mi > 59 || *s > 59) return std::nullopt;
        const auto rate = decimal(withoutSuffix(r.rate, u"%"));
        const auto speed = decimal(withoutSuffix(r.speed, u"/秒"));
        const auto seconds = positiveInt(withoutSuffix(r.length, u"秒"));
        if (!rate || !speed || !seconds) return std::nullopt;

        const int day = *y * 10000 + *mo * 100 + *da;
        if (day != day_) {
            day_ = day;
            dayStart_ = startOfDay(QDate(*y, *mo, *da));
        }
        ProgressPoint p;
        p.row = row;
        p.when = dayStart_ + ((*h * 60 + *mi) * 60 + *s) * qint64(1000);
        p.score = r.score;
        p.speed = *speed;
        p.rate = *rate;
        p.seconds = *seconds;
        p.set = r.set;
        return p;
    }

private:
    // Records come in date order, so the last day's UTC offset most often holds for the
    // next; localtime_r confirms that cheaply, and QDateTime decides when it does not.
    qint64 startOfDay(QDate date) {
        constexpr qint64 unixEpochJulianDay = 2440588;
        const qint64 utc = (date.toJulianDay() - unixEpochJulianDay) * 86400;
        if (offset_) {
            const std::time_t guess = std::time_t(utc - *offset_);
            std::tm t{};
            if (localtime_r(&guess, &t) && t.tm_year + 1900 == date.year() &&
                t.tm_mon + 1 == date.month() && t.tm_mday == date.day() && t.tm_hour == 0 &&
                t.tm_min == 0 && t.tm_sec == 0)
                return qint64(guess) * 1000;
        }
        const qint64 ms = QDateTime(date, QTime(0, 0)).toMSecsSinceEpoch();
        offset_ = utc - ms / 1000;
        return ms;
    }

    int day_ = -1;
    qint64 dayStart_ = 0;
    std::optional<qint64> offset_; // seconds east of UTC at the last day's start
};

QString unreadableSuffix(const ProgressData& data) {
    return data.unreadable > 0 ? QStringLiteral("　読めない行: %1").arg(data.unreadable)
                               : QString();
}

} // namespace

ProgressData readProgress(const std::vector<HistoryRecord>& records) {
    ProgressData data;
    data.points.reserve(records.size());
    PointReader reader;
    QSet<QString> seenSets; // a hand-edited file may hold many distinct sets
    std::vector<int> lengths;
    for (size_t i = 0; i < records.size(); ++i) {
        std::optional<ProgressPoint> p = reader.read(records[i], int(i + 1));
        if (!p) {
            ++data.unreadable;
            continue;
        }
        if (!seenSets.contains(p->set)) {
            seenSets.insert(p->set);
            data.sets.append(p->set);
        }
        lengths.push_back(p->seconds);
        data.points.push_back(std::move(*p));
    }
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
    data.lengths = QList<int>(lengths.begin(), lengths.end());
    return data;
}

void addProgress(ProgressData& data, const HistoryRecord& record, int row) {
    std::optional<ProgressPoint> p = PointReader().read(record, row);
    if (!p) {
        ++data.unreadable;
        return;
    }
    if (!data.sets.contains(p->set)) data.sets.append(p->set);
    const auto at = std::lower_bound(data.lengths.begin(), data.lengths.end(), p->seconds);
    if (at == data.lengths.end() || *at != p->seconds) data.lengths.insert(at, p->seconds);
    data.points.push_back(std::move(*p));
}

ProgressFilter defaultFilter(const ProgressData& data) {
    if (data.points.empty()) return {};
    return {data.points.back().set, data.points.back().seconds};
}

ProgressSeries progressSeries(const ProgressData& data, ProgressView view,
                              const ProgressFilter& filter) {
    constexpr qsizetype window = 10;
    ProgressSeries s;
    double sum = 0;
    for (size_t i = 0; i < data.points.size(); ++i) {
        const ProgressPoint& p = data.points[i];
        if ((filter.set && p.set != *filter.set) ||
            (filter.seconds && p.seconds != *filter.seconds))
            continue;
        const double x = double(p.when);
        const double y = view == ProgressView::Score ? double(p.score) : p.speed;
        s.points.push_back(int(i));
        s.values.append(QPointF(x, y));
        s.rate.append(QPointF(x, p.rate));
        sum += y;
        const qsizetype n = s.values.size();
        if (n > window) sum -= s.values[n - 1 - window].y();
        s.average.append(QPointF(x, sum / double(std::min(n, window))));
        if (s.best < 0 || y > s.values[s.best].y()) s.best = int(n - 1);
    }
    if (s.values.isEmpty()) return s;
    s.lowest = s.highest = s.values.first().y();
    for (const QList<QPointF>* line : {&s.values, &s.average})
        for (const QPointF& v : *line) {
            s.lowest = std::min(s.lowest, v.y());
            s.highest = std::max(s.highest, v.y());
        }
    return s;
}

namespace {

// The pixel column or row of v on a scale of cells over [low, low + span].
int cellOf(double v, double low, double span, int cells) {
    const double at = span > 0 ? (v - low) / span * cells : 0;
    return static_cast<int>(std::clamp(at, 0.0, cells - 1.0));
}

} // namespace

QList<QPointF> thinLine(const QList<QPointF>& line, const QRectF& range, int columns) {
    if (line.size() <= 4 * qsizetype(columns)) return line;
    QList<QPointF> kept;
    qsizetype first = 0, low = 0, high = 0;
    const auto flush = [&](qsizetype last) {
        // The four in the order they came, each once.
        qsizetype picks[] = {first, low, high, last};
        std::sort(std::begin(picks), std::end(picks));
        for (qsizetype i = 0; i < 4; ++i)
            if (i == 0 || picks[i] != picks[i - 1]) kept.append(line[picks[i]]);
    };
    int column = cellOf(line[0].x(), range.left(), range.width(), columns);
    for (qsizetype i = 1; i < line.size(); ++i) {
        const int c = cellOf(line[i].x(), range.left(), range.width(), columns);
        if (c != column) {
            flush(i - 1);
            first = low = high = i;
            column = c;
            continue;
        }
        if (line[i].y() < line[low].y()) low = i;
        if (line[i].y() > line[high].y()) high = i;
    }
    flush(line.size() - 1);
    return kept;
}

QList<QPointF> thinDots(const QList<QPointF>& dots, const QRectF& range, int columns, int rows) {
    if (dots.size() <= qsizetype(columns)) return dots;
    std::vector<bool> taken(size_t(columns) * size_t(rows));
    QList<QPointF> kept;
    for (const QPointF& p : dots) {
        const size_t cell = size_t(cellOf(p.x(), range.left(), range.width(), columns)) * rows +
                            size_t(cellOf(p.y(), range.top(), range.height(), rows));
        if (taken[cell]) continue;
        taken[cell] = true;
        kept.append(p);
    }
    return kept;
}

QString progressSummary(const ProgressData& data, const ProgressSeries& series, ProgressView view) {
    if (series.values.isEmpty() || series.best < 0)
        return QStringLiteral("条件に合う記録がありません。") + unreadableSuffix(data);
    const QPointF best = series.values[series.best];
    const QString date =
        QDateTime::fromMSecsSinceEpoch(qint64(best.x())).toString(QStringLiteral("yyyy/MM/dd"));
    const QString n = QString::number(series.values.size());
    const double latest = series.values.last().y();
    const double average = series.average.last().y();
    QString text;
    if (view == ProgressView::Score)
        text = QStringLiteral(
                   "表示している回数: %1　最高得点: %2（%3）　最新: %4　直近 10 回の平均: %5")
                   .arg(n, QString::number(qRound(best.y())), date, QString::number(qRound(latest)),
                        QString::number(average, 'f', 1));
    else
        text = QStringLiteral("表示している回数: %1　最高: %2 文字/秒（%3）　最新: %4 文字/秒　"
                              "直近 10 回の平均: %5 文字/秒")
                   .arg(n, QString::number(best.y(), 'f', 2), date, QString::number(latest, 'f', 2),
                        QString::number(average, 'f', 2));
    return text + unreadableSuffix(data);
}

DateAxis dateAxis(qint64 first, qint64 last) {
    constexpr qint64 kDay = 24 * 3600 * 1000;
    const qint64 margin = std::max<qint64>((last - first) / 40, kDay / 2);
    DateAxis axis{first - margin, last + margin, QStringLiteral("MM/dd")};
    const int a = QDateTime::fromMSecsSinceEpoch(first).date().year();
    const int b = QDateTime::fromMSecsSinceEpoch(last).date().year();
    if (a != b) axis.format.prepend(QStringLiteral("yyyy/"));
    if ((axis.to - axis.from) / (kDateAxisTicks - 1) < kDay)
        axis.format += QStringLiteral(" hh:mm");
    return axis;
}

} // namespace kb
