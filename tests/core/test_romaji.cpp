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

// Each "romaji=kana" typed alone gives that kana; "=kana|letters" leaves letters
// pending, as the input methods show them. Returns the spellings that do not.
QStringList mismatches(QStringView table) {
    QStringList wrong;
    for (QStringView token : table.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = token.indexOf(u'=', 1);
        const Composed got = typeKeys(token.left(eq).toString());
        const QString shown = got.pending.isEmpty() ? got.kana : got.kana + u'|' + got.pending;
        if (shown != token.mid(eq + 1))
            wrong << token.toString() + QStringLiteral(" gives ") + shown;
    }
    return wrong;
}

// Every row of Mozc's romaji-hiragana table. Where a row leaves a letter for
// the next kana (tt, kk ...) it stays pending; a lone n waits for the next key.
// clang-format off
constexpr QStringView kMozc =
    u"a=あ i=い u=う e=え o=お wu=う whu=う ye=いぇ wha=うぁ wi=うぃ whi=うぃ we=うぇ "
    u"whe=うぇ who=うぉ ka=か ki=き ku=く ke=け ko=こ ca=か cu=く qu=く co=こ "
    u"kya=きゃ kyi=きぃ kyu=きゅ kye=きぇ kyo=きょ kwa=くぁ kwi=くぃ kwe=くぇ kwo=くぉ "
    u"qa=くぁ qi=くぃ qe=くぇ qo=くぉ ga=が gi=ぎ gu=ぐ ge=げ go=ご gwa=ぐぁ "
    u"gya=ぎゃ gyi=ぎぃ gyu=ぎゅ gye=ぎぇ gyo=ぎょ sa=さ si=し shi=し ci=し su=す "
    u"se=せ ce=せ so=そ sya=しゃ syi=しぃ syu=しゅ sye=しぇ syo=しょ sha=しゃ shu=しゅ "
    u"she=しぇ sho=しょ za=ざ zi=じ ji=じ zu=ず ze=ぜ zo=ぞ zya=じゃ zyi=じぃ zyu=じゅ "
    u"zye=じぇ zyo=じょ ja=じゃ ju=じゅ je=じぇ jo=じょ jya=じゃ jyi=じぃ jyu=じゅ "
    u"jye=じぇ jyo=じょ ta=た ti=ち chi=ち tu=つ tsu=つ te=て to=と tya=ちゃ tyi=ちぃ "
    u"tyu=ちゅ tye=ちぇ tyo=ちょ cha=ちゃ chu=ちゅ che=ちぇ cho=ちょ cya=ちゃ cyi=ちぃ "
    u"cyu=ちゅ cye=ちぇ cyo=ちょ tsa=つぁ tsi=つぃ tse=つぇ tso=つぉ tha=てゃ thi=てぃ "
    u"t'i=てぃ thu=てゅ the=てぇ tho=てょ t'yu=てゅ twa=とぁ twi=とぃ twu=とぅ t'u=とぅ "
    u"twe=とぇ two=とぉ da=だ di=ぢ du=づ de=で do=ど dya=ぢゃ dyi=ぢぃ dyu=ぢゅ "
    u"dye=ぢぇ dyo=ぢょ dha=でゃ dhi=でぃ d'i=でぃ dhu=でゅ dhe=でぇ dho=でょ d'yu=でゅ "
    u"dwa=どぁ dwi=どぃ dwu=どぅ d'u=どぅ dwe=どぇ dwo=どぉ na=な ni=に nu=ぬ ne=ね "
    u"no=の nya=にゃ nyi=にぃ nyu=にゅ nye=にぇ nyo=にょ n=|n nn=ん n'=ん xn=ん "
    u"ha=は hi=ひ hu=ふ fu=ふ he=へ ho=ほ hya=ひゃ hyi=ひぃ hyu=ひゅ hye=ひぇ hyo=ひょ "
    u"fa=ふぁ fi=ふぃ fe=ふぇ fo=ふぉ fya=ふゃ fyu=ふゅ fyo=ふょ hwa=ふぁ hwi=ふぃ "
    u"hwe=ふぇ hwo=ふぉ hwyu=ふゅ ba=ば bi=び bu=ぶ be=べ bo=ぼ bya=びゃ byi=びぃ "
    u"byu=びゅ bye=びぇ byo=びょ pa=ぱ pi=ぴ pu=ぷ pe=ぺ po=ぽ pya=ぴゃ pyi=ぴぃ "
    u"pyu=ぴゅ pye=ぴぇ pyo=ぴょ ma=ま mi=み mu=む me=め mo=も mya=みゃ myi=みぃ "
    u"myu=みゅ mye=みぇ myo=みょ ya=や yu=ゆ yo=よ ra=ら ri=り ru=る re=れ ro=ろ "
    u"rya=りゃ ryi=りぃ ryu=りゅ rye=りぇ ryo=りょ wa=わ wo=を wyi=ゐ wye=ゑ "
    u"vu=ゔ va=ゔぁ vi=ゔぃ ve=ゔぇ vo=ゔぉ vya=ゔゃ vyi=ゔぃ vyu=ゔゅ vye=ゔぇ vyo=ゔょ "
    u"xa=ぁ xi=ぃ xu=ぅ xe=ぇ xo=ぉ la=ぁ li=ぃ lu=ぅ le=ぇ lo=ぉ xyi=ぃ lyi=ぃ xye=ぇ "
    u"lye=ぇ xya=ゃ xyu=ゅ xyo=ょ lya=ゃ lyu=ゅ lyo=ょ xtu=っ ltu=っ xtsu=っ ltsu=っ "
    u"xwa=ゎ lwa=ゎ xka=ヵ lka=ヵ xke=ヶ lke=ヶ "
    u"kk=っ|k gg=っ|g ss=っ|s zz=っ|z jj=っ|j tt=っ|t dd=っ|d hh=っ|h ff=っ|f bb=っ|b "
    u"pp=っ|p mm=っ|m yy=っ|y rr=っ|r cc=っ|c qq=っ|q vv=っ|v ll=っ|l xx=っ|x wwa=っわ "
    u"wwi=っうぃ wwu=っう wwe=っうぇ wwo=っを wwyi=っゐ wwye=っゑ wwha=っうぁ "
    u"wwhi=っうぃ wwhu=っう wwhe=っうぇ wwho=っうぉ "
    u"-=ー ~=〜 ,=、 .=。 [=「 ]=」 z-=〜 z/=・ z.=… z,=‥ z[=『 z]=』 zh=← zj=↓ zk=↑ zl=→";

// Microsoft's spellings that Mozc lacks and nothing else claims.
constexpr QStringView kMicrosoftOnly =
    u"yi=い qya=くゃ qyu=くゅ qyo=くょ qwa=くぁ qwi=くぃ qwu=くぅ qwe=くぇ qwo=くぉ "
    u"fwa=ふぁ fwi=ふぃ fwu=ふぅ fwe=ふぇ fwo=ふぉ fyi=ふぃ fye=ふぇ";
// clang-format on

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
        // ん as both input methods make it: nn at once, n before a consonant but n and y.
        row("nn before y", "kinnyuuhonnya", "きんゆうほんや");
        row("nn before a vowel", "shinnaianna", "しんあいあんあ");
        row("nn then na", "onnna", "おんな");
        row("nn shows ん at once, nothing pending", "honn", "ほん");
        row("n before y or a vowel begins the kana", "kinyoukani", "きにょうかに");
        row("apostrophe parts n from vowel", "kan'i", "かんい");
        row("n before consonant", "shinbun\n", "しんぶん");
        row("nn before consonant", "shinnbun\n", "しんぶん");
        row("n before a mark", "n-n,", "んーん、");
        row("final n stays pending", "shinbun", "しんぶ", "n");
        row("n at Enter and nn are each one ん", "n\nnn", "んん");
        // Where the tables part, or differ from what we had.
        row("~ is Mozc's wave dash, not Microsoft's full-width tilde: Mozc is Linux's", "~", "〜");
        row("tch doubles as in Microsoft's table; Mozc leaves a t no word wants", "matcha",
            "まっちゃ");
        row("tc before another letter keeps its t, as in Mozc", "tca", "tか");
        row("yi is い as in Microsoft's table; Mozc has no yi", "yi", "い");
        row("xka and xke give ヵ and ヶ as both tables do, no longer ゕ and ゖ", "xkalke", "ヵヶ");
        row("- stays ー as in both; Mozc's z- gives 〜 beside it", "-z-", "ー〜");
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

    void everyRowOfBothTables() {
        const QStringList wrong = mismatches(kMozc) + mismatches(kMicrosoftOnly);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u", ")));
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
        row("F6 katakana from the small a to the iteration marks", 6, "ァカタカナヴヵヶヽヾ",
            "ぁかたかなゔゕゖゝゞ");
        row("F6 half-width voiced, small and marks", 6, "ｶﾞｷﾞｸﾞﾊﾟﾝｳﾞｧｷｬｯﾁｰ｡､", "がぎぐぱんゔぁきゃっちー。、");
        row("F6 spacing mark combined, or kept with no voiced form", 6, "カ゛ハ゜ｱﾞ", "がぱあ゛");
        row("F6 romaji composed, full width too", 6, "kanjiｋａｎａＺＡｚｏxka",
            "かんじかなざぞゕ");
        row("F7 hiragana from the small a to the iteration marks, half-width", 7,
            "ぁひらがなゔゕゖゝゞｶﾞｯｺｳ", "ァヒラガナヴヵヶヽヾガッコウ");
        row("F8 voiced, katakana, small kana and marks", 8, "がぱゔラーメン、。きゃっ",
            "ｶﾞﾊﾟｳﾞﾗｰﾒﾝ､｡ｷｬｯ");
        row("F9 ascii, its ends", 9, "Ab 1!~\x7f", "Ａｂ　１！～\x7f");
        row("F9 kana read as romaji", 9, "かなきってかんい", "ｋａｎａｋｉｔｔｅｋａｎ＇ｉ");
        row("F10 full width, its ends", 10, "ＡＢＺａｚ　１！～｟", "ABZaz 1!~｟");
        row("F10 hepburn, n and tch", 10, "しちつふじゃちゃをしんぶんまっちゃきんよう",
            "shichitsufujachawoshinbunmatchakin'you");
        row("F10 long vowel and half-width voiced", 10, "ラーメンｶﾞｯｺｳ", "ra-mengakkou");
        row("F10 small kana alone", 10, "ぁっ、ヵゖ", "xaxtu,xkaxke");
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
