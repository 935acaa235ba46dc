#include "kana_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kb {

namespace {

const QString kGojuon = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの"
                                       "はひふへほまみむめもやゆよらりるれろわゐゑをん"
                                       "がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽゔ"
                                       "ぁぃぅぇぉゃゅょっゎ");

QString roundKey(const QString& date, const QString& time, const QString& set) {
    return date + QLatin1Char('\t') + time + QLatin1Char('\t') + set;
}

double median(std::vector<std::int32_t>& values) {
    if (values.empty()) return -1;
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    double m = *mid;
    if (values.size() % 2 == 0) m = (m + *std::max_element(values.begin(), mid)) / 2;
    return m / 1000.0;
}

bool shown(const KanaStats::Group& g, const ProgressFilter& filter) {
    return (!filter.set || g.set == *filter.set) &&
           (!filter.seconds || g.seconds == *filter.seconds);
}

} // namespace

KanaStats::KanaStats(const std::vector<HistoryRecord>& history) {
    const ProgressData data = readProgress(history);
    for (const ProgressPoint& p : data.points) {
        auto g = std::find_if(groups_.begin(), groups_.end(), [&](const Group& group) {
            return group.set == p.set && group.seconds == p.seconds;
        });
        if (g == groups_.end()) g = groups_.insert(groups_.end(), Group{p.set, p.seconds, 0, {}});
        const HistoryRecord& r = history[static_cast<size_t>(p.row - 1)];
        // Two records of one second and set: the lines go to the first.
        if (roundIds_.contains(roundKey(r.date, r.time, r.set))) continue;
        roundIds_.insert(roundKey(r.date, r.time, r.set), static_cast<int>(rounds_.size()));
        rounds_.push_back({static_cast<int>(g - groups_.begin())});
    }
}

// The lines of a round stand together: the last round found is tried first.
int KanaStats::roundOf(const QuestionRecord& line) {
    if (!lastDate_.isNull() && line.date == lastDate_ && line.time == lastTime_ &&
        line.set == lastSet_)
        return lastRound_;
    lastDate_ = line.date;
    lastTime_ = line.time;
    lastSet_ = line.set;
    lastRound_ = roundIds_.value(roundKey(line.date, line.time, line.set), -1);
    return lastRound_;
}

int KanaStats::questionId(const QString& question) {
    if (const auto known = idsByAddress_.constFind(question.constData());
        known != idsByAddress_.constEnd())
        return *known;
    auto id = questionIds_.constFind(question);
    if (id == questionIds_.constEnd()) {
        id = questionIds_.insert(question, static_cast<int>(questions_.size()));
        questions_.append(question);
    }
    // Only an address questions_ holds: another string's could be freed and reused.
    if (questions_[*id].constData() == question.constData())
        idsByAddress_.insert(question.constData(), *id);
    return *id;
}

void KanaStats::add(const QuestionRecord& line) {
    const int round = roundOf(line);
    if (round < 0) {
        ++ignored_;
        return;
    }
    Round& r = rounds_[static_cast<size_t>(round)];
    Group& g = groups_[static_cast<size_t>(r.group)];
    g.rounds += !r.counted;
    r.counted = true;
    const size_t id = static_cast<size_t>(questionId(line.question));
    if (g.tally.size() <= id) g.tally.resize(id + 1);
    Tally& t = g.tally[id];
    ++t.appearances;
    t.head += line.head;
    t.tail += line.tail;
    t.inside += line.inside;
    t.rejected += line.rejected;
    if (line.firstAcceptedMs >= 0) t.firstMs.push_back(line.firstAcceptedMs);
    ++lines_;
}

double KanaRow::figure(KanaFigure f) const {
    const double n = static_cast<double>(appearances);
    const double accepted = static_cast<double>(head + tail + inside);
    const double judged = accepted + static_cast<double>(rejected);
    const double none = std::numeric_limits<double>::quiet_NaN();
    const auto share = [&](qint64 part, double of) {
        return of > 0 ? 100.0 * double(part) / of : none;
    };
    switch (f) {
    case KanaFigure::Question:
        return question;
    case KanaFigure::Appearances:
        return n;
    case KanaFigure::Accepted:
        return accepted / n;
    case KanaFigure::Points:
        return double(head + 2 * tail + 3 * inside - rejected) / n;
    case KanaFigure::Head:
        return share(head, accepted);
    case KanaFigure::Tail:
        return share(tail, accepted);
    case KanaFigure::Inside:
        return share(inside, accepted);
    case KanaFigure::Rejected:
        return share(rejected, judged);
    case KanaFigure::MedianSeconds:
        return medianSeconds < 0 ? none : medianSeconds;
    }
    return none;
}

int gojuonIndex(QStringView question) {
    if (question.size() != 1) return -1;
    QChar c = question[0];
    const bool katakana = c >= QChar(0x30A1) && c <= QChar(0x30F6);
    if (katakana) c = QChar(c.unicode() - 0x60);
    const qsizetype at = kGojuon.indexOf(c);
    return at < 0 ? -1 : static_cast<int>(at + (katakana ? kGojuon.size() : 0));
}

const std::vector<std::array<QChar, 5>>& gojuonRows() {
    static const std::vector<std::array<QChar, 5>> rows = [] {
        const QString layout = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねの"
                                              "はひふへほまみむめもや　ゆ　よらりるれろわゐ　ゑを"
                                              "ん　　　　がぎぐげござじずぜぞだぢづでどばびぶべぼ"
                                              "ぱぴぷぺぽゔ　　　　ぁぃぅぇぉゃ　ゅ　ょっ　ゎ　　");
        std::vector<std::array<QChar, 5>> out(static_cast<size_t>(layout.size() / 5));
        for (qsizetype i = 0; i < layout.size(); ++i)
            out[static_cast<size_t>(i / 5)][static_cast<size_t>(i % 5)] =
                layout[i] == QChar(0x3000) ? QChar() : layout[i];
        return out;
    }();
    return rows;
}

KanaTable kanaTable(const KanaStats& stats, const ProgressFilter& filter) {
    KanaTable table;
    const size_t count = static_cast<size_t>(stats.questions().size());
    std::vector<KanaRow> sums(count);
    std::vector<std::vector<std::int32_t>> times(count);
    for (const KanaStats::Group& g : stats.groups()) {
        if (!shown(g, filter)) continue;
        table.rounds += g.rounds;
        for (size_t q = 0; q < g.tally.size(); ++q) {
            const KanaStats::Tally& t = g.tally[q];
            KanaRow& row = sums[q];
            row.appearances += t.appearances;
            row.head += t.head;
            row.tail += t.tail;
            row.inside += t.inside;
            row.rejected += t.rejected;
            times[q].insert(times[q].end(), t.firstMs.begin(), t.firstMs.end());
        }
    }
    for (size_t q = 0; q < count; ++q) {
        if (sums[q].appearances == 0) continue;
        sums[q].question = static_cast<int>(q);
        sums[q].medianSeconds = median(times[q]);
        table.rows.push_back(sums[q]);
    }
    const auto place = [&](const KanaRow& row) {
        const int at = gojuonIndex(stats.questions()[row.question]);
        return at < 0 ? std::numeric_limits<int>::max() : at;
    };
    std::sort(table.rows.begin(), table.rows.end(), [&](const KanaRow& a, const KanaRow& b) {
        const int pa = place(a), pb = place(b);
        if (pa != pb) return pa < pb;
        return stats.questions()[a.question] < stats.questions()[b.question];
    });
    return table;
}

std::vector<int> kanaOrder(const KanaTable& table, KanaFigure by, bool descending) {
    std::vector<int> order(table.rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    if (by == KanaFigure::Question) {
        if (descending) std::reverse(order.begin(), order.end());
        return order;
    }
    // Each row's rank: first those asked enough (by points only), then those with the figure.
    std::vector<std::pair<int, double>> keys(order.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        const KanaRow& row = table.rows[i];
        const double v = row.figure(by);
        const bool few = by == KanaFigure::Points && row.appearances < kKanaMinAppearances;
        keys[i] = {std::isnan(v) ? 2 : few, std::isnan(v) ? 0 : (descending ? -v : v)};
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    return order;
}

QString kanaFigureText(const KanaRow& row, KanaFigure f) {
    const double v = row.figure(f);
    switch (f) {
    case KanaFigure::Question:
        return {};
    case KanaFigure::Appearances:
        return QString::number(row.appearances);
    case KanaFigure::Accepted:
    case KanaFigure::Points:
        return QString::number(v, 'f', 2);
    case KanaFigure::MedianSeconds:
        return std::isnan(v) ? QStringLiteral("—") : QString::number(v, 'f', 1);
    default:
        return std::isnan(v) ? QStringLiteral("—") : QString::number(v, 'f', 0) + u'%';
    }
}

QString kanaRowText(const KanaStats& stats, const KanaRow& row) {
    const auto f = [&](KanaFigure figure) { return kanaFigureText(row, figure); };
    return QStringLiteral(
               "%1（出題 %2 回、1 回あたり %3 点・正解 %4 語、語頭 %5・語尾 %6・語中 %7、"
               "不正解 %8、最初の正解まで中央値 %9 秒）")
        .arg(stats.questions()[row.question], f(KanaFigure::Appearances), f(KanaFigure::Points),
             f(KanaFigure::Accepted), f(KanaFigure::Head), f(KanaFigure::Tail),
             f(KanaFigure::Inside), f(KanaFigure::Rejected), f(KanaFigure::MedianSeconds));
}

QString kanaSummary(const KanaStats& stats, const KanaTable& table) {
    const QString unreadable =
        stats.badLines() > 0 ? QStringLiteral("　読めない行: %1").arg(stats.badLines()) : QString();
    if (stats.lines() == 0)
        return QStringLiteral("かな別の成績はまだありません。次に保存する回から、"
                              "問題ごとの成績がここに表れます。") +
               unreadable;
    if (table.rows.empty()) return QStringLiteral("条件に合う出題記録がありません。") + unreadable;
    const std::vector<int> weak = kanaOrder(table, KanaFigure::Points, false);
    const std::vector<int> strong = kanaOrder(table, KanaFigure::Points, true);
    const auto list = [&](const std::vector<int>& order) {
        QStringList items;
        for (int i : order) {
            const KanaRow& row = table.rows[size_t(i)];
            if (row.appearances < kKanaMinAppearances || items.size() == 5) break;
            items.append(kanaRowText(stats, row));
        }
        return items.isEmpty() ? QStringLiteral("（3 回以上出た問題がありません）")
                               : items.join(QStringLiteral("、"));
    };
    return QStringLiteral("表示している回数: %1　問題: %2 種類　苦手な順: %3　得意な順: %4")
               .arg(QString::number(table.rounds), QString::number(table.rows.size()), list(weak),
                    list(strong)) +
           unreadable;
}

} // namespace kb
