#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace kb::bench {

// The working directories the benchmarks start the game in.
enum class FileSet {
    Empty,            // empty kana, exclusion and history files
    Largest,          // 100 kana, 5000 two-entry exclusions, 32,766 history records
    AllButOneSingle,  // 100 kana, every one-entry question but the first excluded
    AllButOnePair,    // 77 kana, every two-entry question but the first excluded
    LargestQuestions, // Largest, and 20 question lines for each history record
};

constexpr int kLargestHistory = 32766;
constexpr int kQuestionsPerRound = 20;

std::optional<FileSet> fileSetNamed(const QString& name);

// Distinct kana, all in code page 932: the 46 of the syllabary first, as a
// real list has them, then other kana.
QStringList benchKana(int count);

// Every two-entry question the generator can draw from count entries, in a
// fixed shuffled order.
QStringList drawablePairs(const QStringList& kana);

// Writes the four files of set into dir, in code page 932 with CR LF, and
// 出題記録.txt for LargestQuestions.
void writeFileSet(const QString& dir, FileSet set);

} // namespace kb::bench
