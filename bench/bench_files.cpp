#include "bench_files.h"

#include "core/question_record.h"
#include "core/text_format.h"
#include "files/data_files.h"
#include "files/record_writer.h"

#include <QDate>
#include <QDir>
#include <random>

namespace kb::bench {
namespace {

void writeLines(const QString& path, const QStringList& lines) {
    RecordWriter file;
    file.openRewrite(path);
    for (const QString& line : lines)
        file.printLine(line);
    file.close();
}

void writeSettings(const QString& path) {
    RecordWriter file;
    file.openRewrite(path);
    file.writeRecord({std::int16_t{60}, std::int16_t{1}});
    file.close();
}

QString dateOf(int record) {
    return formatDate(QDate(2009, 6, 21).addDays(record / 8));
}
QString timeOf(int record) {
    return formatTime(QTime(9, 0).addSecs((record % 8) * 1800 + record % 60));
}
QString setOf(int record) {
    return record % 2 ? QStringLiteral("２") : QStringLiteral("１");
}

// Rounds as a player saves them: a few a day, counters that vary.
void writeHistory(const QString& path, int records) {
    RecordWriter file;
    file.openRewrite(path);
    for (int i = 0; i < records; ++i) {
        const auto ok = static_cast<std::int16_t>(10 + i % 40);
        const auto ng = static_cast<std::int16_t>(i % 7);
        const auto chars = static_cast<std::int16_t>(ok * 3 + i % 5);
        const auto score = static_cast<std::int16_t>(ok * 2 - ng);
        file.writeRecord({dateOf(i), timeOf(i), setOf(i), ok, ng, chars, score,
                          formatRate(static_cast<double>(ok) / (ok + ng)),
                          formatSpeed(chars / 60.0), QStringLiteral("60秒")});
    }
    file.close();
}

// The questions of each round, one line each, as the save writes them before
// the round's record: one-kana rounds draw from kana, two-kana ones from pairs.
void writeQuestionLog(const QString& path, int records, const QStringList& kana,
                      const QStringList& pairs) {
    RecordWriter file;
    file.openRewrite(path);
    std::mt19937 rng(20261208);
    for (int i = 0; i < records; ++i) {
        const QString date = dateOf(i), time = timeOf(i), set = setOf(i);
        const QStringList& from = i % 2 ? pairs : kana;
        for (int q = 0; q < kQuestionsPerRound; ++q) {
            const QString& question = from[static_cast<qsizetype>(rng() % from.size())];
            const int judged = static_cast<int>(rng() % 6); // 0 none, 1-3 where, 4 rejected, 5 two
            const int first =
                judged == 0 || judged == 4 ? -1 : 800 + static_cast<int>(rng() % 9000);
            file.printLine(QStringLiteral("\"%1\",\"%2\",\"%3\",\"%4\",%5,%6,%7,%8,%9,%10,0")
                               .arg(date, time, set, question)
                               .arg(1000 + static_cast<int>(rng() % 12000))
                               .arg(int(judged == 1 || judged == 5))
                               .arg(int(judged == 2))
                               .arg(int(judged == 3 || judged == 5))
                               .arg(int(judged == 4))
                               .arg(first));
        }
    }
    file.close();
}

} // namespace

std::optional<FileSet> fileSetNamed(const QString& name) {
    if (name == QLatin1String("empty")) return FileSet::Empty;
    if (name == QLatin1String("largest")) return FileSet::Largest;
    if (name == QLatin1String("allbutone-single")) return FileSet::AllButOneSingle;
    if (name == QLatin1String("allbutone-pair")) return FileSet::AllButOnePair;
    if (name == QLatin1String("largest-questions")) return FileSet::LargestQuestions;
    return std::nullopt;
}

QStringList benchKana(int count) {
    QString all = QStringLiteral("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみ"
                                 "むめもやゆよらりるれろわをん");
    for (char16_t c = u'ぁ'; c <= u'ん'; ++c)
        if (!all.contains(QChar(c))) all += QChar(c);
    for (char16_t c = u'ァ'; c <= u'ヶ'; ++c)
        all += QChar(c);
    QStringList kana;
    for (int i = 0; i < count; ++i)
        kana << all.mid(i, 1);
    return kana;
}

QStringList drawablePairs(const QStringList& kana) {
    QStringList pairs;
    for (int a = 1; a <= kana.size(); ++a)
        for (int b = 1; b <= kana.size(); ++b)
            if (a <= 46 || b <= 46) pairs << kana[a - 1] + kana[b - 1];
    std::mt19937 rng(20090621);
    for (qsizetype i = pairs.size() - 1; i > 0; --i)
        pairs.swapItemsAt(i, static_cast<qsizetype>(rng() % static_cast<std::uint32_t>(i + 1)));
    return pairs;
}

void writeFileSet(const QString& dir, FileSet set) {
    const QDir d(dir);
    QStringList kana, excluded;
    int history = 0;
    switch (set) {
    case FileSet::Empty:
        break;
    case FileSet::Largest:
    case FileSet::LargestQuestions:
        kana = benchKana(100);
        excluded = drawablePairs(kana).mid(0, 5000);
        history = kLargestHistory;
        break;
    case FileSet::AllButOneSingle: {
        kana = benchKana(100);
        excluded = kana.mid(1);
        const QStringList pairs = drawablePairs(kana);
        excluded += pairs.mid(0, 5000 - excluded.size());
        break;
    }
    case FileSet::AllButOnePair: {
        // 77 entries give 4,968 two-entry questions, the most that 5000
        // exclusions can all but exhaust. The one left is the first entry
        // twice, among the least likely to be drawn.
        kana = benchKana(77);
        excluded = drawablePairs(kana);
        excluded.removeOne(kana[0] + kana[0]);
        break;
    }
    }
    writeLines(d.filePath(kKanaFile), kana);
    writeLines(d.filePath(kExclusionFile), excluded);
    writeHistory(d.filePath(kHistoryFile), history);
    writeSettings(d.filePath(kSettingsFile));
    if (set == FileSet::LargestQuestions)
        writeQuestionLog(d.filePath(kQuestionLogFile), history, kana, drawablePairs(kana));
}

} // namespace kb::bench
