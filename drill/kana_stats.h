#pragma once

#include "core/history_record.h"
#include "core/question_record.h"
#include "drill/progress.h"

#include <array>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace kb {

// The question lines of saved rounds, joined with their history records by
// date, time and set, and summed per question for each set and round length:
// the chart's filters then only add a few sums up.
class KanaStats {
public:
    // The saved rounds a line may belong to; records the chart cannot read
    // (no round length) take no lines.
    explicit KanaStats(const std::vector<HistoryRecord>& history = {});
    // A line of a round with no history record is ignored.
    void add(const QuestionRecord& line);
    void setBadLines(int count) { badLines_ = count; }

    int lines() const { return lines_; }
    int ignored() const { return ignored_; }
    int badLines() const { return badLines_; }
    // Every question met, by the ids below.
    const QList<QString>& questions() const { return questions_; }

    struct Tally {
        qint64 appearances = 0, head = 0, tail = 0, inside = 0, rejected = 0;
        std::vector<std::int32_t> firstMs; // of each appearance with a word accepted
    };
    struct Group {
        QString set;
        int seconds = 0;
        int rounds = 0;           // rounds with question lines
        std::vector<Tally> tally; // by question id
    };
    const std::vector<Group>& groups() const { return groups_; }

private:
    struct Round {
        int group;
        bool counted = false;
    };
    int roundOf(const QuestionRecord& line);
    int questionId(const QString& question);

    std::vector<Group> groups_;
    std::vector<Round> rounds_;
    QHash<QString, int> roundIds_;
    QHash<QString, int> questionIds_;
    // The reader shares one string per question, which questions_ keeps alive:
    // its address finds the id without hashing the text.
    QHash<const QChar*, int> idsByAddress_;
    QList<QString> questions_;
    QString lastDate_, lastTime_, lastSet_;
    int lastRound_ = -1;
    int lines_ = 0, ignored_ = 0, badLines_ = 0;
};

// The figures, in the order of the table's columns.
enum class KanaFigure {
    Question,
    Appearances,
    Accepted, // words accepted per appearance
    Points,   // per appearance: head 1, tail 2, inside 3, rejected -1
    Head,     // share of the accepted words, in percent
    Tail,
    Inside,
    Rejected,      // share of the judged words, in percent
    MedianSeconds, // to the first accepted word
};
inline constexpr int kKanaFigureCount = 9;

// One question over the rounds shown.
struct KanaRow {
    int question = 0; // id in KanaStats::questions()
    qint64 appearances = 0, head = 0, tail = 0, inside = 0, rejected = 0;
    double medianSeconds = -1; // -1: no word accepted
    // A figure as a number; NaN where it has none (a share of no words).
    double figure(KanaFigure f) const;
};
// At least this many appearances before a question counts as weak or strong.
inline constexpr int kKanaMinAppearances = 3;

struct KanaTable {
    std::vector<KanaRow> rows; // questions asked in the rounds shown, in gojūon order
    int rounds = 0;
};
KanaTable kanaTable(const KanaStats& stats, const ProgressFilter& filter);

// Row indices sorted by a figure; ties keep gojūon order, rows without the
// figure go last. By points, the questions asked at least three times come
// first: ascending is weakest first.
std::vector<int> kanaOrder(const KanaTable& table, KanaFigure by, bool descending);

// Where a one-kana question stands in gojūon order (あいうえお… then voiced,
// then small kana; katakana after hiragana), or -1.
int gojuonIndex(QStringView question);
// The gojūon table as the grid lays it out: rows of five, a blank where a
// column has no kana (や行, わ行, ん).
const std::vector<std::array<QChar, 5>>& gojuonRows();

QString kanaFigureText(const KanaRow& row, KanaFigure f);
// A question with its figures, for a tooltip or the summary.
QString kanaRowText(const KanaStats& stats, const KanaRow& row);
// What a screen reader reads: the rounds shown, the five weakest and the five
// strongest with their figures, and the unreadable lines; or why there are none.
QString kanaSummary(const KanaStats& stats, const KanaTable& table);

} // namespace kb
