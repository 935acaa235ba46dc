#include "answer_judge.h"

#include "core/int16.h"

namespace kb {

Verdict judge(QStringView question, QStringView word) {
    if (!word.contains(question, Qt::CaseSensitive)) return Verdict::Rejected;
    if (word == question) return Verdict::Exact;
    if (word.startsWith(question, Qt::CaseSensitive)) return Verdict::Head;
    if (word.endsWith(question, Qt::CaseSensitive)) return Verdict::Tail;
    return Verdict::Inside;
}

RoundCounters countedAfter(const RoundCounters& before, Verdict verdict, qsizetype wordLength) {
    RoundCounters c = before;
    switch (verdict) {
    case Verdict::Exact:
        c.typedChars = toInt16(static_cast<long long>(c.typedChars) + wordLength);
        break;
    case Verdict::Head:
    case Verdict::Tail:
    case Verdict::Inside: {
        const int points = verdict == Verdict::Head ? 1 : verdict == Verdict::Tail ? 2 : 3;
        std::int16_t& matches = verdict == Verdict::Head   ? c.headMatches
                                : verdict == Verdict::Tail ? c.tailMatches
                                                           : c.insideMatches;
        c.score = addInt16(c.score, points);
        matches = addInt16(matches, 1);
        c.okCount = addInt16(c.okCount, 1);
        c.typedChars = toInt16(static_cast<long long>(c.typedChars) + wordLength);
        break;
    }
    case Verdict::Rejected:
        c.score = addInt16(c.score, -1);
        c.ngCount = addInt16(c.ngCount, 1);
        break;
    }
    return c;
}

} // namespace kb
