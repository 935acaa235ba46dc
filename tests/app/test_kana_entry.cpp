#include "support/controls.h"
#include "support/window_fixture.h"

#include <QInputMethodEvent>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// A round over the kana list あ, so the question is always あ.
struct Game : WindowFixture {
    Game() : WindowFixture(QStringLiteral("あ\r\n")) { startRound(load()); }
    AnswerBox* box() { return txtKaitou(*window); }
    QListWidget* log() { return lstRireki(*window); }
};

} // namespace

class TestKanaEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Composing is test_romaji's: the box feeds it every letter and finishes at Enter.
    void typedRomajiIsJudgedAsHiragana_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("either case") << QStringLiteral("aSa") << QStringLiteral("あ _ あさ");
        QTest::newRow("pending n becomes ん at Enter")
            << QStringLiteral("kaan") << QStringLiteral("あ _ かあん");
        QTest::newRow("other pending letters stay")
            << QStringLiteral("ak") << QStringLiteral("あ _ あk");
    }
    void typedRomajiIsJudgedAsHiragana() {
        QFETCH(QString, keys);
        QFETCH(QString, logLine);
        Game g;
        QTest::keyClicks(g.box(), keys);
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(g.log()->count(), 1);
        QCOMPARE(g.log()->item(0)->text(), logLine);
    }

    void pendingLettersShowButAreNotText() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("ky"));
        QCOMPARE(g.box()->text(), QString());
        QCOMPARE(g.box()->pending(), QStringLiteral("ky"));
        QTest::keyClick(g.box(), Qt::Key_Backspace); // removes a pending letter first
        QCOMPARE(g.box()->pending(), QStringLiteral("k"));
        QTest::keyClicks(g.box(), QStringLiteral("a"));
        QCOMPARE(g.box()->text(), QStringLiteral("か"));
        QTest::keyClick(g.box(), Qt::Key_Backspace);
        QCOMPARE(g.box()->text(), QString());
        // A new round empties the box, pending letters too, and the log.
        QTest::keyClicks(g.box(), QStringLiteral("asa"));
        QTest::keyClick(g.box(), Qt::Key_Return);
        QTest::keyClicks(g.box(), QStringLiteral("asak"));
        QCOMPARE(g.log()->count(), 1);
        runOut(*g.window, g.clock);
        cmdStart(*g.window)->click();
        QCOMPARE(g.box()->text() + g.box()->pending(), QString());
        QCOMPARE(g.log()->count(), 0);
    }

    void functionKeysConvertTheWholeBox() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("akai"));
        const Qt::Key keys[] = {Qt::Key_F7, Qt::Key_F8, Qt::Key_F6, Qt::Key_F10, Qt::Key_F9};
        const QStringList texts{"アカイ", "ｱｶｲ", "あかい", "akai", "ａｋａｉ"};
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(g.box(), keys[i]);
            QCOMPARE(g.box()->text(), texts[i]);
        }
    }

    void switchingToDirectEntryAndBackOnFocus() {
        Game g;
        QTest::keyClick(g.box(), Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Direct);
        QTest::keyClicks(g.box(), QStringLiteral("ka"));
        QCOMPARE(g.box()->text(), QStringLiteral("ka"));
        for (AnswerBox::Entry entry : {AnswerBox::Entry::Hiragana, AnswerBox::Entry::Direct}) {
            QTest::sendKeyEvent(QTest::Press, g.box(), Qt::Key_Zenkaku_Hankaku, QString(), {});
            QCOMPARE(g.box()->entry(), entry);
        }
        // Every focus-in starts in hiragana entry again.
        QFocusEvent out(QEvent::FocusOut), in(QEvent::FocusIn);
        QApplication::sendEvent(g.box(), &out);
        QApplication::sendEvent(g.box(), &in);
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Hiragana);
    }

    void systemInputMethodTextGoesInUnchanged() {
        Game g;
        QInputMethodEvent preedit(QStringLiteral("あさ"), {});
        QApplication::sendEvent(g.box(), &preedit);
        // The Enter that confirms the input method's conversion does not judge.
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(g.log()->count(), 0);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("朝ka"));
        QApplication::sendEvent(g.box(), &commit);
        QCOMPARE(g.box()->text(), QStringLiteral("朝ka"));
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(g.log()->count(), 1);
    }
};

QTEST_MAIN(TestKanaEntry)
#include "test_kana_entry.moc"
