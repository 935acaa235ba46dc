#pragma once
#include <cstdint>
#include <QString>
namespace kb {
// What one question did in a saved round: a line of 出題記録.txt.
struct QuestionRecord {
    QString date, time, set; // the round's history record's
    QString question;
    std::int32_t shownMs = 0;
    std::int32_t head = 0, tail = 0, inside = 0, rejected = 0;
    std::int32_t firstAcceptedMs = -1; // -1: no word accepted
    bool excluded = false;
    bool operator==(const QuestionRecord&) const = default;
};
inline const QString kQuestionLogFile = QStringLiteral("出題記録.txt");
} // namespace kb
