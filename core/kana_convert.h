#pragma once

#include <QString>
#include <QStringView>

namespace kb {

// The conversions of an input method's function keys, applied to a whole text.
// Romaji letters are composed first where the result is kana, and kana is read
// back as romaji where the result is Latin, as an input method does with its reading.

// F6: katakana, full or half width, to hiragana; voiced marks are combined.
QString toHiragana(QStringView text);
// F7: to full-width katakana (ゔ gives ヴ).
QString toKatakana(QStringView text);
// F8: to half-width katakana; voiced kana take a separate mark (が gives ｶﾞ).
QString toHalfWidthKatakana(QStringView text);
// F9: to full-width Latin (a gives ａ, a space gives an ideographic space).
QString toFullWidthLatin(QStringView text);
// F10: full-width Latin, digits and symbols to ASCII.
QString toHalfWidthLatin(QStringView text);

} // namespace kb
