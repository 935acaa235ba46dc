#pragma once

#include "core/question_record.h"

#include <functional>
#include <vector>

namespace kb {

// Reads "出題記録.txt" for the chart's per-question view, never at start-up.
// A line is good when it holds the eleven items of a QuestionRecord: a date
// "yyyy/mm/dd", a time "hh:nn:ss", the set, the question, then seven whole
// numbers within 32 bits (no count below 0, the first word's time -1 or more,
// excluded 0 or 1). Other lines are counted, not read; blank lines are neither.
// A missing file reads as empty; a file that cannot be read, or is not code
// page 932, throws Error naming it and the line.
struct QuestionLog {
    std::vector<QuestionRecord> records;
    int badLines = 0;
};
QuestionLog readQuestionLog(const QString& path);

// The same, each good line handed to add as it is read; returns the bad lines.
// Equal texts share one QString, so that 655,320 lines do not make as many
// strings: what add keeps of a record costs a reference, not a copy.
int readQuestionLog(const QString& path, const std::function<void(const QuestionRecord&)>& add);

} // namespace kb
