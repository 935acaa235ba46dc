#include "core/kana_convert.h"
#include "core/romaji.h"

#include <functional>
#include <QTest>

using namespace kb;

namespace {

// Keys as the answer box feeds them: \b is Backspace, \n is Enter.
Composed typeKeys(const QString& keys) {
    Composed box;
    for (QChar key : keys) {
        if (key == u'\b') {
            box.pending = backspaceRomaji(box.pending);
        } else if (key == u'\n') {
            box.kana += finishRomaji(box.pending);
            box.pending.clear();
        } else {
            const Composed step = composeRomaji(box.pending, key);
            box.kana += step.kana;
            box.pending = step.pending;
        }
    }
    return box;
}

} // namespace

class TestRomaji : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typing_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("kana");
        QTest::addColumn<QString>("pending");
        const auto row = [](const char* name, const char* keys, const char* kana,
                            const char* pending = "") {
            QTest::newRow(name) << QString::fromUtf8(keys) << QString::fromUtf8(kana)
                                << QString::fromUtf8(pending);
        };
        row("kana", "kana", "かな");
        row("n before n then vowel", "kanna", "かんな");
        row("three n", "kannna", "かんな");
        row("apostrophe parts n from vowel", "kan'i", "かんい");
        row("n before consonant", "shinbun\n", "しんぶん");
        row("nn before consonant", "shinnbun\n", "しんぶん");
        row("n before j", "kanji", "かんじ");
        row("konnichiha", "konnichiha", "こんにちは");
        row("nya is one syllable", "nya", "にゃ");
        row("n apostrophe ya", "n'ya", "んや");
        row("lone n stays pending", "n", "", "n");
        row("final n stays pending", "shinbun", "しんぶ", "n");
        row("lone n finishes as n kana", "n\n", "ん");
        row("nn finishes as one n kana", "nn\n", "ん");
        row("n before symbol", "n-", "んー");
        row("n before digit", "kan1", "かん1");
        row("doubled t", "kitte", "きって");
        row("tch", "matcha", "まっちゃ");
        row("doubled k keeps one pending", "kk", "っ", "k");
        row("xtu", "xtu", "っ");
        row("ltsu", "ltsu", "っ");
        row("tsu", "tsu", "つ");
        row("tu", "tu", "つ");
        row("ja jya zya", "jajyazya", "じゃじゃじゃ");
        row("cha tya cya", "chatyacya", "ちゃちゃちゃ");
        row("shi si chi ti", "shisichiti", "ししちち");
        row("fu hu ji zi", "fuhujizi", "ふふじじ");
        row("sha sya", "shasya", "しゃしゃ");
        row("pyo rya", "pyorya", "ぴょりゃ");
        row("f row", "fafifufefo", "ふぁふぃふふぇふぉ");
        row("v row", "vavivuvevo", "ゔぁゔぃゔゔぇゔぉ");
        row("small kana", "xalixyalyoxwa", "ぁぃゃょゎ");
        row("wo ye wi we", "woyewiwe", "をいぇうぃうぇ");
        row("thi dhu", "thidhu", "てぃでゅ");
        row("k pending", "k", "", "k");
        row("ky pending", "ky", "", "ky");
        row("backspace on pending", "ky\b", "", "k");
        row("backspace empties pending", "k\b\b", "");
        row("backspace then compose", "kyi\bo", "きぃお");
        row("upper case composes", "KANJI", "かんじ");
        row("upper case pending shown as typed", "kY", "", "kY");
        row("upper case doubled", "KITTE", "きって");
        row("long vowel comma stop", "ra-men,.", "らーめん、。");
        row("dead letter goes out", "qz", "q", "z");
        row("dead letter inside yoon", "kyk", "ky", "k");
        row("pending flushed by digit", "k1", "k1");
        row("space passes", "a 1", "あ 1");
        row("other letters finish as typed", "ts\n", "ts");
        row("apostrophe after consonant", "k'a", "k'あ");
    }
    void typing() {
        QFETCH(QString, keys);
        QFETCH(QString, kana);
        QFETCH(QString, pending);
        const Composed got = typeKeys(keys);
        QCOMPARE(got.kana, kana);
        QCOMPARE(got.pending, pending);
    }

    // A spelling that starts another would be emitted before the longer one is typed.
    void everySpellingComposesAlone() {
        for (const RomajiSpelling& s : romajiSpellings()) {
            const QString romaji = QString::fromUtf16(s.romaji);
            QCOMPARE(romajiToHiragana(romaji), QString::fromUtf16(s.kana));
        }
    }

    // The romaji that F9/F10 write must type back to the same kana, also after ん and っ.
    void romajiReadsBack() {
        for (const RomajiSpelling& s : romajiSpellings()) {
            for (const char16_t* before : {u"", u"ん", u"っ", u"か"}) {
                for (const char16_t* after : {u"", u"ん", u"あ"}) {
                    const QString kana = QString::fromUtf16(before) + QString::fromUtf16(s.kana) +
                                         QString::fromUtf16(after);
                    QCOMPARE(romajiToHiragana(hiraganaToRomaji(kana)), kana);
                }
            }
        }
    }

    void conversions_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int key, const char* text, const char* expected) {
            QTest::newRow(name) << key << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        row("F6 katakana", 6, "カタカナ", "かたかな");
        row("F6 vu", 6, "ヴ", "ゔ");
        row("F6 half-width voiced", 6, "ｶﾞｷﾞｸﾞ", "がぎぐ");
        row("F6 half-width semi-voiced", 6, "ﾊﾟﾝ", "ぱん");
        row("F6 half-width vu", 6, "ｳﾞｧ", "ゔぁ");
        row("F6 half-width small and marks", 6, "ｷｬｯﾁｰ｡､", "きゃっちー。、");
        row("F6 spacing mark combined", 6, "カ゛ハ゜", "がぱ");
        row("F6 mark with no voiced form", 6, "ｱﾞ", "あ゛");
        row("F6 romaji composed", 6, "kanji", "かんじ");
        row("F6 full-width romaji", 6, "ｋａｎａ", "かな");
        row("F7 hiragana", 7, "ひらがな", "ヒラガナ");
        row("F7 vu", 7, "ゔ", "ヴ");
        row("F7 half-width", 7, "ｶﾞｯｺｳ", "ガッコウ");
        row("F8 voiced", 8, "が", "ｶﾞ");
        row("F8 semi-voiced", 8, "ぱ", "ﾊﾟ");
        row("F8 vu", 8, "ゔ", "ｳﾞ");
        row("F8 katakana and marks", 8, "ラーメン、。", "ﾗｰﾒﾝ､｡");
        row("F8 small", 8, "きゃっ", "ｷｬｯ");
        row("F9 ascii", 9, "Ab 1!", "Ａｂ　１！");
        row("F9 kana read as romaji", 9, "かな", "ｋａｎａ");
        row("F9 doubled and n", 9, "きってかんい", "ｋｉｔｔｅｋａｎ＇ｉ");
        row("F10 full width", 10, "ＡＢ　１！", "AB 1!");
        row("F10 hepburn", 10, "しちつふじゃちゃを", "shichitsufujachawo");
        row("F10 n and tch", 10, "しんぶんまっちゃ", "shinbunmatcha");
        row("F10 n before y", 10, "きんよう", "kin'you");
        row("F10 long vowel", 10, "ラーメン", "ra-men");
        row("F10 half-width voiced", 10, "ｶﾞｯｺｳ", "gakkou");
        row("F10 small kana alone", 10, "ぁっ", "xaxtu");
    }
    void conversions() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const std::function<QString(QStringView)> convert[] = {
            toHiragana, toKatakana, toHalfWidthKatakana, toFullWidthLatin, toHalfWidthLatin};
        QCOMPARE(convert[key - 6](text), expected);
    }
};

QTEST_GUILESS_MAIN(TestRomaji)
#include "test_romaji.moc"
