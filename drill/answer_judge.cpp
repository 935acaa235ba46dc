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
        const int slot = verdict == Verdict::Head ? 0 : verdict == Verdict::Tail ? 1 : 2;
        c.score = addInt16(c.score, slot + 1);
        c.matchCounts[static_cast<size_t>(slot)] =
            addInt16(c.matchCounts[static_cast<size_t>(slot)], 1);
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
