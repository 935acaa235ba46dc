#pragma once

#include <QChar>
#include <QString>
#include <QStringView>
#include <span>

namespace kb {

// Romaji composition as an input method's romaji mode does it, for players
// without a Japanese input method. Pure text: the answer box holds the pending
// letters and shows them after the kana.

// One spelling of the romaji table. Several spellings may give the same kana;
// the first one listed is the one written back (Hepburn where there is a choice).
struct RomajiSpelling {
    const char16_t* romaji;
    const char16_t* kana;
};
std::span<const RomajiSpelling> romajiSpellings();

struct Composed {
    QString kana;    // to insert now
    QString pending; // letters typed that do not yet form a kana, as typed
};

// One typed character. Upper case composes like lower case. A character that
// no spelling uses flushes the pending letters (see finishRomaji) and passes
// through; a pending letter that no spelling can continue goes out as typed.
Composed composeRomaji(QStringView pending, QChar typed);
// At Enter: a pending "n" becomes ん, other letters stay as typed.
QString finishRomaji(QStringView pending);
// Backspace while letters are pending removes the last of them.
QString backspaceRomaji(QStringView pending);

// A whole text composed character by character, then finished.
QString romajiToHiragana(QStringView text);
// The reverse, on hiragana; characters that are not hiragana stay as they are.
// The result composes back to the same hiragana.
QString hiraganaToRomaji(QStringView hiragana);

} // namespace kb
