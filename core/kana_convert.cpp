#include "kana_convert.h"

#include "romaji.h"

namespace kb {

namespace {

// Full-width forms of U+FF61..U+FF9F, in code order.
constexpr QStringView kHalfWidthKana =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    u"ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
constexpr char16_t kFirstHalfWidthKana = 0xFF61;
constexpr char16_t kHalfVoiced = 0xFF9E;
constexpr char16_t kHalfSemiVoiced = 0xFF9F;
constexpr char16_t kCombiningVoiced = 0x3099;
constexpr char16_t kCombiningSemiVoiced = 0x309A;
constexpr char16_t kSpacingVoiced = 0x309B;
constexpr char16_t kSpacingSemiVoiced = 0x309C;
constexpr int kKatakanaOffset = 0x60;         // ア - あ
constexpr int kFullWidthLatinOffset = 0xFEE0; // ａ - a
constexpr char16_t kIdeographicSpace = 0x3000;

bool isHiragana(char16_t c) {
    return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E; // ぁ..ゖ, ゝゞ
}

bool isKatakana(char16_t c) {
    return (c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE; // ァ..ヶ, ヽヾ
}

// が from か and a voiced mark, where Unicode has the combined letter.
bool combineVoicedMark(QString& text, char16_t mark) {
    if (text.isEmpty()) return false;
    const char16_t combining = (mark == kSpacingVoiced || mark == kCombiningVoiced)
                                   ? kCombiningVoiced
                                   : kCombiningSemiVoiced;
    const QString pair =
        (QString(text.back()) + QChar(combining)).normalized(QString::NormalizationForm_C);
    if (pair.size() != 1) return false;
    text.back() = pair[0];
    return true;
}

// Katakana of either width to hiragana; everything else as it is.
QString kanaToHiragana(QStringView text) {
    QString full;
    for (QChar qc : text) {
        char16_t c = qc.unicode();
        if (c >= kFirstHalfWidthKana && c <= kHalfSemiVoiced)
            c = kHalfWidthKana[c - kFirstHalfWidthKana].unicode();
        const bool mark = c == kSpacingVoiced || c == kSpacingSemiVoiced || c == kCombiningVoiced ||
                          c == kCombiningSemiVoiced;
        if (!(mark && combineVoicedMark(full, c))) full += QChar(c);
    }
    for (QChar& c : full)
        if (isKatakana(c.unicode())) c = QChar(c.unicode() - kKatakanaOffset);
    return full;
}

QString hiraganaToKatakana(QString text) {
    for (QChar& c : text)
        if (isHiragana(c.unicode())) c = QChar(c.unicode() + kKatakanaOffset);
    return text;
}

// The reading of kana as romaji, so that F9 and F10 act on it.
QString kanaToRomaji(QStringView text) {
    return hiraganaToRomaji(kanaToHiragana(text));
}

} // namespace

QString toHiragana(QStringView text) {
    QString narrow = kanaToHiragana(text);
    // Letters made full width by F9 are still the reading.
    for (QChar& c : narrow)
        if ((c >= u'Ａ' && c <= u'Ｚ') || (c >= u'ａ' && c <= u'ｚ'))
            c = QChar(c.unicode() - kFullWidthLatinOffset);
    // Composing gives ヵ and ヶ for xka and xke, as input methods do.
    return kanaToHiragana(romajiToHiragana(narrow));
}

QString toKatakana(QStringView text) {
    return hiraganaToKatakana(toHiragana(text));
}

QString toHalfWidthKatakana(QStringView text) {
    const auto halfOf = [](QChar c) -> qsizetype { return kHalfWidthKana.indexOf(c); };
    QString out;
    for (QChar c : toKatakana(text)) {
        if (const qsizetype i = halfOf(c); i >= 0) {
            out += QChar(char16_t(kFirstHalfWidthKana + i));
            continue;
        }
        // Half width has no ガ: it is ｶ followed by ﾞ.
        const QString parts = QString(c).normalized(QString::NormalizationForm_D);
        const qsizetype base = parts.size() == 2 ? halfOf(parts[0]) : -1;
        if (base >= 0 && (parts[1] == kCombiningVoiced || parts[1] == kCombiningSemiVoiced)) {
            out += QChar(char16_t(kFirstHalfWidthKana + base));
            out += QChar(parts[1] == kCombiningVoiced ? kHalfVoiced : kHalfSemiVoiced);
        } else {
            out += c;
        }
    }
    return out;
}

QString toFullWidthLatin(QStringView text) {
    QString out = kanaToRomaji(text);
    for (QChar& c : out) {
        if (c == u' ')
            c = QChar(kIdeographicSpace);
        else if (c > u' ' && c <= u'~')
            c = QChar(c.unicode() + kFullWidthLatinOffset);
    }
    return out;
}

QString toHalfWidthLatin(QStringView text) {
    QString out = kanaToRomaji(text);
    for (QChar& c : out) {
        if (c == kIdeographicSpace)
            c = QChar(u' ');
        else if (c >= u'！' && c <= u'～')
            c = QChar(c.unicode() - kFullWidthLatinOffset);
    }
    return out;
}

} // namespace kb
