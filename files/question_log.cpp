#include "question_log.h"

#include "data_files.h"
#include "file_io.h"
#include "history_table.h"
#include "record_writer.h"

#include <sys/stat.h>

namespace kb {

AppendMark appendQuestionLines(const QString& name, const std::vector<QuestionRecord>& lines,
                               KnownEnds* ends) {
    if (lines.empty()) return {};
    RecordWriter file(ends);
    file.openAppend(name);
    for (const QuestionRecord& r : lines)
        file.writeRecord({storedText(r.date), storedText(r.time), storedText(r.set),
                          storedText(r.question), r.shownMs, r.head, r.tail, r.inside, r.rejected,
                          r.firstAcceptedMs, std::int32_t(r.excluded ? 1 : 0)});
    file.close();
    return file.appended();
}

bool takeBackQuestionLines(const AppendMark& appended) {
    return takeBackAppend(appended);
}

void clearQuestionLog(const QString& name) {
    struct stat st {};
    if (::lstat(pathOf(name).constData(), &st) != 0 && errno == ENOENT) return;
    RecordWriter file;
    file.openRewrite(name);
    file.close();
}

} // namespace kb
