#pragma once

#include "core/question_record.h"
#include "durable_write.h"

#include <vector>

namespace kb {

// Appends a saved round's question lines to the file (出題記録.txt), which the
// first save creates; its texts in their stored form, as the history record's.
// Returns where they began, so that they can be taken back when the round's
// history record cannot be written; no lines leave the file untouched. On
// failure the file is left byte for byte as it was.
AppendMark appendQuestionLines(const QString& name, const std::vector<QuestionRecord>& lines,
                               KnownEnds* ends = nullptr);
// Puts the file back as it was before those lines; false where it could not.
bool takeBackQuestionLines(const AppendMark& appended);
// Empties the file; a file that is not there stays so.
void clearQuestionLog(const QString& name);

} // namespace kb
