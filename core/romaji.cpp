#include "romaji.h"

#include <algorithm>
#include <QHash>
#include <QSet>
#include <utility>

namespace kb {

namespace {

// The romaji both common Japanese input methods accept (Mozc and Microsoft's),
// Hepburn first, then Kunrei and word-processor spellings. No spelling may be
// the start of another: a complete spelling is emitted at once. A lone n and
// the doubled consonant are not here; they come from the pending rule below.
// clang-format off
constexpr RomajiSpelling kSpellings[] = {
    {u"a", u"あ"}, {u"i", u"い"}, {u"u", u"う"}, {u"e", u"え"}, {u"o", u"お"},
    {u"yi", u"い"}, {u"wu", u"う"}, {u"whu", u"う"}, {u"ye", u"いぇ"},
    {u"wha", u"うぁ"}, {u"wi", u"うぃ"}, {u"whi", u"うぃ"}, {u"we", u"うぇ"},
    {u"whe", u"うぇ"}, {u"who", u"うぉ"},

    {u"ka", u"か"}, {u"ki", u"き"}, {u"ku", u"く"}, {u"ke", u"け"}, {u"ko", u"こ"},
    {u"ca", u"か"}, {u"cu", u"く"}, {u"qu", u"く"}, {u"co", u"こ"},
    {u"kya", u"きゃ"}, {u"kyi", u"きぃ"}, {u"kyu", u"きゅ"}, {u"kye", u"きぇ"},
    {u"kyo", u"きょ"},
    {u"kwa", u"くぁ"}, {u"qa", u"くぁ"}, {u"qi", u"くぃ"}, {u"qe", u"くぇ"},
    {u"qo", u"くぉ"}, {u"kwi", u"くぃ"}, {u"kwe", u"くぇ"}, {u"kwo", u"くぉ"},
    {u"qwa", u"くぁ"}, {u"qwi", u"くぃ"}, {u"qwu", u"くぅ"}, {u"qwe", u"くぇ"},
    {u"qwo", u"くぉ"}, {u"qya", u"くゃ"}, {u"qyu", u"くゅ"}, {u"qyo", u"くょ"},
    {u"ga", u"が"}, {u"gi", u"ぎ"}, {u"gu", u"ぐ"}, {u"ge", u"げ"}, {u"go", u"ご"},
    {u"gya", u"ぎゃ"}, {u"gyi", u"ぎぃ"}, {u"gyu", u"ぎゅ"}, {u"gye", u"ぎぇ"},
    {u"gyo", u"ぎょ"}, {u"gwa", u"ぐぁ"},

    {u"sa", u"さ"}, {u"shi", u"し"}, {u"si", u"し"}, {u"ci", u"し"}, {u"su", u"す"},
    {u"se", u"せ"}, {u"ce", u"せ"}, {u"so", u"そ"},
    {u"sha", u"しゃ"}, {u"sya", u"しゃ"}, {u"syi", u"しぃ"}, {u"shu", u"しゅ"},
    {u"syu", u"しゅ"}, {u"she", u"しぇ"}, {u"sye", u"しぇ"}, {u"sho", u"しょ"},
    {u"syo", u"しょ"},
    {u"za", u"ざ"}, {u"ji", u"じ"}, {u"zi", u"じ"}, {u"zu", u"ず"}, {u"ze", u"ぜ"},
    {u"zo", u"ぞ"},
    {u"ja", u"じゃ"}, {u"jya", u"じゃ"}, {u"zya", u"じゃ"}, {u"jyi", u"じぃ"},
    {u"zyi", u"じぃ"}, {u"ju", u"じゅ"}, {u"jyu", u"じゅ"}, {u"zyu", u"じゅ"},
    {u"je", u"じぇ"}, {u"jye", u"じぇ"}, {u"zye", u"じぇ"}, {u"jo", u"じょ"},
    {u"jyo", u"じょ"}, {u"zyo", u"じょ"},

    {u"ta", u"た"}, {u"chi", u"ち"}, {u"ti", u"ち"}, {u"tsu", u"つ"}, {u"tu", u"つ"},
    {u"te", u"て"}, {u"to", u"と"},
    {u"cha", u"ちゃ"}, {u"tya", u"ちゃ"}, {u"cya", u"ちゃ"}, {u"tyi", u"ちぃ"},
    {u"cyi", u"ちぃ"}, {u"chu", u"ちゅ"}, {u"tyu", u"ちゅ"}, {u"cyu", u"ちゅ"},
    {u"che", u"ちぇ"}, {u"tye", u"ちぇ"}, {u"cye", u"ちぇ"}, {u"cho", u"ちょ"},
    {u"tyo", u"ちょ"}, {u"cyo", u"ちょ"},
    {u"tsa", u"つぁ"}, {u"tsi", u"つぃ"}, {u"tse", u"つぇ"}, {u"tso", u"つぉ"},
    {u"tha", u"てゃ"}, {u"thi", u"てぃ"}, {u"thu", u"てゅ"}, {u"the", u"てぇ"},
    {u"tho", u"てょ"}, {u"t'i", u"てぃ"}, {u"t'yu", u"てゅ"},
    {u"twa", u"とぁ"}, {u"twi", u"とぃ"}, {u"twu", u"とぅ"}, {u"twe", u"とぇ"},
    {u"two", u"とぉ"}, {u"t'u", u"とぅ"},
    {u"da", u"だ"}, {u"di", u"ぢ"}, {u"du", u"づ"}, {u"de", u"で"}, {u"do", u"ど"},
    {u"dya", u"ぢゃ"}, {u"dyi", u"ぢぃ"}, {u"dyu", u"ぢゅ"}, {u"dye", u"ぢぇ"},
    {u"dyo", u"ぢょ"},
    {u"dha", u"でゃ"}, {u"dhi", u"でぃ"}, {u"dhu", u"でゅ"}, {u"dhe", u"でぇ"},
    {u"dho", u"でょ"}, {u"d'i", u"でぃ"}, {u"d'yu", u"でゅ"},
    {u"dwa", u"どぁ"}, {u"dwi", u"どぃ"}, {u"dwu", u"どぅ"}, {u"dwe", u"どぇ"},
    {u"dwo", u"どぉ"}, {u"d'u", u"どぅ"},

    {u"na", u"な"}, {u"ni", u"に"}, {u"nu", u"ぬ"}, {u"ne", u"ね"}, {u"no", u"の"},
    {u"nya", u"にゃ"}, {u"nyi", u"にぃ"}, {u"nyu", u"にゅ"}, {u"nye", u"にぇ"},
    {u"nyo", u"にょ"}, {u"nn", u"ん"}, {u"n'", u"ん"}, {u"xn", u"ん"},

    {u"ha", u"は"}, {u"hi", u"ひ"}, {u"fu", u"ふ"}, {u"hu", u"ふ"}, {u"he", u"へ"},
    {u"ho", u"ほ"},
    {u"hya", u"ひゃ"}, {u"hyi", u"ひぃ"}, {u"hyu", u"ひゅ"}, {u"hye", u"ひぇ"},
    {u"hyo", u"ひょ"},
    {u"fa", u"ふぁ"}, {u"fi", u"ふぃ"}, {u"fe", u"ふぇ"}, {u"fo", u"ふぉ"},
    {u"fya", u"ふゃ"}, {u"fyu", u"ふゅ"}, {u"fyo", u"ふょ"},
    {u"hwa", u"ふぁ"}, {u"hwi", u"ふぃ"}, {u"hwe", u"ふぇ"}, {u"hwo", u"ふぉ"},
    {u"hwyu", u"ふゅ"}, {u"fwa", u"ふぁ"}, {u"fwi", u"ふぃ"}, {u"fwu", u"ふぅ"},
    {u"fwe", u"ふぇ"}, {u"fwo", u"ふぉ"}, {u"fyi", u"ふぃ"}, {u"fye", u"ふぇ"},
    {u"ba", u"ば"}, {u"bi", u"び"}, {u"bu", u"ぶ"}, {u"be", u"べ"}, {u"bo", u"ぼ"},
    {u"bya", u"びゃ"}, {u"byi", u"びぃ"}, {u"byu", u"びゅ"}, {u"bye", u"びぇ"},
    {u"byo", u"びょ"},
    {u"pa", u"ぱ"}, {u"pi", u"ぴ"}, {u"pu", u"ぷ"}, {u"pe", u"ぺ"}, {u"po", u"ぽ"},
    {u"pya", u"ぴゃ"}, {u"pyi", u"ぴぃ"}, {u"pyu", u"ぴゅ"}, {u"pye", u"ぴぇ"},
    {u"pyo", u"ぴょ"},

    {u"ma", u"ま"}, {u"mi", u"み"}, {u"mu", u"む"}, {u"me", u"め"}, {u"mo", u"も"},
    {u"mya", u"みゃ"}, {u"myi", u"みぃ"}, {u"myu", u"みゅ"}, {u"mye", u"みぇ"},
    {u"myo", u"みょ"},
    {u"ya", u"や"}, {u"yu", u"ゆ"}, {u"yo", u"よ"},
    {u"ra", u"ら"}, {u"ri", u"り"}, {u"ru", u"る"}, {u"re", u"れ"}, {u"ro", u"ろ"},
    {u"rya", u"りゃ"}, {u"ryi", u"りぃ"}, {u"ryu", u"りゅ"}, {u"rye", u"りぇ"},
    {u"ryo", u"りょ"},
    {u"wa", u"わ"}, {u"wo", u"を"}, {u"wyi", u"ゐ"}, {u"wye", u"ゑ"},

    {u"vu", u"ゔ"}, {u"va", u"ゔぁ"}, {u"vi", u"ゔぃ"}, {u"ve", u"ゔぇ"}, {u"vo", u"ゔぉ"},
    {u"vya", u"ゔゃ"}, {u"vyi", u"ゔぃ"}, {u"vyu", u"ゔゅ"}, {u"vye", u"ゔぇ"},
    {u"vyo", u"ゔょ"},

    {u"xa", u"ぁ"}, {u"xi", u"ぃ"}, {u"xu", u"ぅ"}, {u"xe", u"ぇ"}, {u"xo", u"ぉ"},
    {u"la", u"ぁ"}, {u"li", u"ぃ"}, {u"lu", u"ぅ"}, {u"le", u"ぇ"}, {u"lo", u"ぉ"},
    {u"xyi", u"ぃ"}, {u"lyi", u"ぃ"}, {u"xye", u"ぇ"}, {u"lye", u"ぇ"},
    {u"xtu", u"っ"}, {u"ltu", u"っ"}, {u"xtsu", u"っ"}, {u"ltsu", u"っ"},
    {u"xya", u"ゃ"}, {u"xyu", u"ゅ"}, {u"xyo", u"ょ"},
    {u"lya", u"ゃ"}, {u"lyu", u"ゅ"}, {u"lyo", u"ょ"},
    {u"xwa", u"ゎ"}, {u"lwa", u"ゎ"},
    // Katakana in both tables: JIS X 0208, which they grew from, has no ゕ or ゖ.
    {u"xka", u"ヵ"}, {u"lka", u"ヵ"}, {u"xke", u"ヶ"}, {u"lke", u"ヶ"},

    {u"-", u"ー"}, {u",", u"、"}, {u".", u"。"}, {u"[", u"「"}, {u"]", u"」"},
    {u"~", u"〜"}, {u"z-", u"〜"}, {u"z/", u"・"}, {u"z.", u"…"}, {u"z,", u"‥"},
    {u"z[", u"『"}, {u"z]", u"』"}, {u"zh", u"←"}, {u"zj", u"↓"}, {u"zk", u"↑"},
    {u"zl", u"→"},
};
// clang-format on

constexpr QChar kN = u'ん';
constexpr QChar kSmallTsu = u'っ';
constexpr QChar kApostrophe = u'\'';

struct Index {
    QHash<QString, QString> kanaOf;   // spelling -> kana
    QSet<QString> starts;             // every start of a spelling, whole ones included
    QSet<QChar> letters;              // characters that take part in composing
    QHash<QString, QString> romajiOf; // kana -> first spelling listed
    qsizetype longestKana = 1;
};

const Index& romajiIndex() {
    static const Index idx = [] {
        Index i;
        for (const RomajiSpelling& s : kSpellings) {
            const QString romaji = QString::fromUtf16(s.romaji);
            const QString kana = QString::fromUtf16(s.kana);
            i.kanaOf.insert(romaji, kana);
            for (qsizetype n = 1; n <= romaji.size(); ++n)
                i.starts.insert(romaji.left(n));
            for (QChar c : romaji)
                i.letters.insert(c);
            if (!i.romajiOf.contains(kana)) i.romajiOf.insert(kana, romaji);
            i.longestKana = std::max(i.longestKana, kana.size());
        }
        i.starts.insert(QStringLiteral("tc")); // waits for the h of "tch"
        // F9 and F10 read katakana as hiragana, where ヵ and ヶ are ゕ and ゖ.
        i.romajiOf.insert(QStringLiteral("ゕ"), QStringLiteral("xka"));
        i.romajiOf.insert(QStringLiteral("ゖ"), QStringLiteral("xke"));
        return i;
    }();
    return idx;
}

bool isConsonant(QChar c) {
    return c >= u'a' && c <= u'z' && !QStringView(u"aiueon").contains(c);
}

// "kk" and the Hepburn "tch" double the consonant: the first letter is っ.
bool startsDoubled(QStringView key) {
    return key.size() >= 2 && isConsonant(key[0]) && (key[1] == key[0] || key.startsWith(u"tch"));
}

void feed(Composed& box, QChar typed) {
    QString& kana = box.kana;
    QString& pending = box.pending;
    const Index& idx = romajiIndex();
    if (!idx.letters.contains(typed.toLower())) {
        kana += finishRomaji(pending) + typed;
        pending.clear();
        return;
    }
    const QString typedSoFar = pending + typed;
    const QString key = typedSoFar.toLower();
    if (const auto found = idx.kanaOf.constFind(key); found != idx.kanaOf.cend()) {
        kana += *found;
        pending.clear();
        return;
    }
    if (idx.starts.contains(key)) {
        pending = typedSoFar;
        return;
    }
    // Nothing can continue these letters: settle the first, compose the rest afresh.
    pending.clear();
    QString rest = typedSoFar.mid(1);
    if (key[0] == u'n') {
        // A lone n before anything but a vowel, y, n or ' ("kanji", "n-").
        kana += kN;
    } else if (startsDoubled(key)) {
        kana += kSmallTsu;
    } else {
        kana += typedSoFar[0];
    }
    for (QChar c : std::as_const(rest))
        feed(box, c);
}

} // namespace

std::span<const RomajiSpelling> romajiSpellings() {
    return kSpellings;
}

Composed composeRomaji(QStringView pending, QChar typed) {
    Composed box{{}, pending.toString()};
    feed(box, typed);
    return box;
}

QString finishRomaji(QStringView pending) {
    const QString key = pending.toString().toLower();
    if (key == u"n") return QString(kN);
    return pending.toString();
}

QString backspaceRomaji(QStringView pending) {
    return pending.chopped(pending.isEmpty() ? 0 : 1).toString();
}

QString romajiToHiragana(QStringView text) {
    Composed box;
    for (QChar c : text)
        feed(box, c);
    return box.kana + finishRomaji(box.pending);
}

QString hiraganaToRomaji(QStringView hiragana) {
    const Index& idx = romajiIndex();
    // Longest kana first, so きゃ is kya and not ki + xya.
    const auto unitAt = [&](qsizetype pos) -> std::pair<qsizetype, QString> {
        if (pos < hiragana.size() && hiragana[pos] == kN) return {1, QStringLiteral("n")};
        for (qsizetype len = std::min(idx.longestKana, hiragana.size() - pos); len > 0; --len) {
            const auto found = idx.romajiOf.constFind(hiragana.mid(pos, len).toString());
            if (found != idx.romajiOf.cend()) return {len, *found};
        }
        return {0, {}};
    };

    QString out;
    qsizetype pos = 0;
    while (pos < hiragana.size()) {
        const QChar c = hiragana[pos];
        if (c != kN && c != kSmallTsu) {
            const auto [len, romaji] = unitAt(pos);
            out += len > 0 ? romaji : QString(c);
            pos += std::max<qsizetype>(len, 1);
            continue;
        }
        const auto [nextLen, next] = unitAt(pos + 1);
        QChar nextFirst;
        if (nextLen > 0)
            nextFirst = next[0];
        else if (pos + 1 < hiragana.size())
            nextFirst = hiragana[pos + 1].toLower(); // a letter typed after the kana
        if (c == kN) {
            out += u'n';
            // Keep ん apart from a following vowel, y or n: "kan'i", "kin'yuu", "kan'na".
            if (QStringView(u"aiueoyn").contains(nextFirst)) out += kApostrophe;
        } else if (nextLen > 0 && isConsonant(nextFirst)) {
            out += next.startsWith(u"ch") ? QChar(u't') : nextFirst;
        } else {
            out += idx.romajiOf.value(QString(kSmallTsu));
        }
        ++pos;
    }
    return out;
}

} // namespace kb
