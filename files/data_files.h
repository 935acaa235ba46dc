#pragma once

#include <cstdint>
#include <QString>
#include <QStringList>
#include <vector>

namespace kb {

inline const QString kKanaFile = QStringLiteral("かな.TXT");
inline const QString kExclusionFile = QStringLiteral("不要.TXT");
inline const QString kSettingsFile = QStringLiteral("設定.txt");
inline const QString kHistoryFile = QStringLiteral("履歴.txt");

// Reads a list file item by item, at most capacity entries; an item beyond
// that is an index error.
QStringList loadList(const QString& name, int capacity);

// Appends one excluded question as a line of its own. A question that a bare
// line would read back as something else is written as a quoted item.
void appendExclusion(const QString& question);

} // namespace kb
