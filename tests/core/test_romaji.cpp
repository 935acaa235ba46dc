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
        const auto row = [](const char* name, QString keys, QString kana, QString pending = {}) {
            QTest::newRow(name) << keys << kana << pending;
        };
        row("n before n then vowel", "kanna", "かんな");
        row("three n", "kannna", "かんな");
        row("apostrophe parts n from vowel", "kan'i", "かんい");
        row("n before consonant", "shinbun\n", "しんぶん");
        row("nn before consonant", "shinnbun\n", "しんぶん");
        row("final n stays pending", "shinbun", "しんぶ", "n");
        row("n and nn finish as one n kana", "n\nnn\n", "んん");
        row("tch", "matcha", "まっちゃ");
        row("doubled k keeps one pending", "kk", "っ", "k");
        row("hepburn and kunrei", "shisichitifuhujizitsutu", "ししちちふふじじつつ");
        row("yoon", "jajyazyachatyacyashasyapyorya", "じゃじゃじゃちゃちゃちゃしゃしゃぴょりゃ");
        row("f and v rows", "fafifufefovavivuvevo", "ふぁふぃふふぇふぉゔぁゔぃゔゔぇゔぉ");
        row("other sounds", "woyewiwethidhu", "をいぇうぃうぇてぃでゅ");
        row("small kana", "xalixyalyoxwaxtultsu", "ぁぃゃょゎっっ");
        row("backspace on pending", "ky\b", "", "k");
        row("backspace then compose", "kyi\bo", "きぃお");
        row("upper case pending shown as typed", "kY", "", "kY");
        row("upper case composes", "KANJIKITTE", "かんじきって");
        row("long vowel comma stop", "ra-men,.", "らーめん、。");
        row("dead letter goes out", "qz", "q", "z");
        row("dead letter inside yoon", "kyk", "ky", "k");
        row("space and digit pass, flushing pending", "kan k1", "かん k1");
        row("other letters finish as typed", "ts\n", "ts");
        row("apostrophe after consonant", "k'a", "k'あ");
    }
    void typing() {
        QFETCH(QString, keys);
        QFETCH(QString, kana);
        QFETCH(QString, pending);
        const Composed got = typeKeys(keys);
        QCOMPARE(got.kana + u'|' + got.pending, kana + u'|' + pending);
    }

    // A spelling that starts another would be emitted before the longer one is
    // typed. The romaji that F9/F10 write must type back to the same kana, also
    // after ん and っ.
    void everySpellingComposesAndReadsBack() {
        for (const RomajiSpelling& s : romajiSpellings()) {
            const QString kana = QString::fromUtf16(s.kana);
            QCOMPARE(romajiToHiragana(QString::fromUtf16(s.romaji)), kana);
            for (const QString& before : QStringList{"", "ん", "っ", "か"})
                for (const QString& after : QStringList{"", "ん", "あ"})
                    QCOMPARE(romajiToHiragana(hiraganaToRomaji(before + kana + after)),
                             before + kana + after);
        }
    }

    void conversions_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int key, const char* text, const char* expected) {
            QTest::newRow(name) << key << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        row("F6 katakana, vu and the small ka and ke", 6, "カタカナヴヵヶ", "かたかなゔゕゖ");
        row("F6 half-width voiced and semi-voiced", 6, "ｶﾞｷﾞｸﾞﾊﾟﾝｳﾞｧ", "がぎぐぱんゔぁ");
        row("F6 half-width small and marks", 6, "ｷｬｯﾁｰ｡､", "きゃっちー。、");
        row("F6 spacing mark combined", 6, "カ゛ハ゜", "がぱ");
        row("F6 mark with no voiced form", 6, "ｱﾞ", "あ゛");
        row("F6 romaji composed, full width too", 6, "kanjiｋａｎａ", "かんじかな");
        row("F7 hiragana, vu and the small ka and ke", 7, "ひらがなゔゕゖ", "ヒラガナヴヵヶ");
        row("F7 half-width", 7, "ｶﾞｯｺｳ", "ガッコウ");
        row("F8 voiced and semi-voiced", 8, "がぱゔ", "ｶﾞﾊﾟｳﾞ");
        row("F8 katakana, small kana and marks", 8, "ラーメン、。きゃっ", "ﾗｰﾒﾝ､｡ｷｬｯ");
        row("F9 ascii", 9, "Ab 1!", "Ａｂ　１！");
        row("F9 kana read as romaji", 9, "かなきってかんい", "ｋａｎａｋｉｔｔｅｋａｎ＇ｉ");
        row("F10 full width", 10, "ＡＢ　１！", "AB 1!");
        row("F10 hepburn, n and tch", 10, "しちつふじゃちゃをしんぶんまっちゃ",
            "shichitsufujachawoshinbunmatcha");
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
