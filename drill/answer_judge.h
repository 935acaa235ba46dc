#pragma once

#include "drill_state.h"

#include <QStringView>

namespace kb {

enum class Verdict { Exact, Head, Tail, Inside, Rejected };

// Where the question stands in the word, compared code unit by code unit.
// Head wins over tail, tail over inside.
Verdict judge(QStringView question, QStringView word);

// The counters after a word of wordLength code units got the verdict. Throws an
// overflow error, and then nothing has changed, when a counter would leave int16.
RoundCounters countedAfter(const RoundCounters& before, Verdict verdict, qsizetype wordLength);

} // namespace kb
