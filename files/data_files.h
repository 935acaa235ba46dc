#pragma once

#include <cstdint>
#include <QString>
#include <QStringList>
#include <vector>

namespace kb {

class KnownEnds;

inline const QString kKanaFile = QStringLiteral("かな.TXT");
inline const QString kExclusionFile = QStringLiteral("不要.TXT");
inline const QString kSettingsFile = QStringLiteral("設定.txt");
inline const QString kHistoryFile = QStringLiteral("履歴.txt");

// At start-up: removes the temporary files a rewrite killed halfway left beside
// the player's files, sparing those another running instance is writing.
void removeWriteLeftovers();

// Reads a list file item by item, at most capacity entries; an item beyond
// that is an index error. Each read and append below notes in ends how the
// file ended, when given.
QStringList loadList(const QString& name, int capacity, KnownEnds* ends = nullptr);

// Appends one excluded question as a line of its own. A question that a bare
// line would read back as something else is written as a quoted item.
void appendExclusion(const QString& question, KnownEnds* ends = nullptr);

} // namespace kb
