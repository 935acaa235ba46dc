#include "app/answer_box.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// A round over the kana list あ, so the question is always あ.
struct Game : WindowFixture {
    Game() : WindowFixture(QStringLiteral("あ\r\n")) {
        load();
        window->cmdStart_Click();
        for (int i = 0; i < 3; ++i)
            window->tmrStart_Timer();
    }
    AnswerBox* box() { return txtKaitou(*window); }
};

} // namespace

class TestKanaEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedRomajiIsJudgedAsHiragana_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("asa") << "asa"
                             << "あ _ あさ";
        QTest::newRow("pending n becomes ん at Enter") << "kaan"
                                                       << "あ _ かあん";
        QTest::newRow("other pending letters stay") << "ak"
                                                    << "あ _ あk";
        QTest::newRow("doubled consonant") << "akkii"
                                           << "あ _ あっきい";
        QTest::newRow("upper case composes too") << "ASA"
                                                 << "あ _ あさ";
    }
    void typedRomajiIsJudgedAsHiragana() {
        QFETCH(QString, keys);
        QFETCH(QString, logLine);
        Game g;
        QTest::keyClicks(g.box(), keys);
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(lstRireki(*g.window)->count(), 1);
        QCOMPARE(lstRireki(*g.window)->item(0)->text(), logLine);
        QCOMPARE(g.window->state().okCount, std::int16_t(1));
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
    }

    void functionKeysConvertTheWholeBox() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("akai"));
        QTest::keyClick(g.box(), Qt::Key_F7);
        QCOMPARE(g.box()->text(), QStringLiteral("アカイ"));
        QTest::keyClick(g.box(), Qt::Key_F8);
        QCOMPARE(g.box()->text(), QStringLiteral("ｱｶｲ"));
        QTest::keyClick(g.box(), Qt::Key_F6);
        QCOMPARE(g.box()->text(), QStringLiteral("あかい"));
        QTest::keyClick(g.box(), Qt::Key_F10);
        QCOMPARE(g.box()->text(), QStringLiteral("akai"));
        QTest::keyClick(g.box(), Qt::Key_F9);
        QCOMPARE(g.box()->text(), QStringLiteral("ａｋａｉ"));
    }

    void switchingToDirectEntryAndBackOnFocus() {
        Game g;
        QTest::keyClick(g.box(), Qt::Key_Space, Qt::ControlModifier);
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Direct);
        QTest::keyClicks(g.box(), QStringLiteral("ka"));
        QCOMPARE(g.box()->text(), QStringLiteral("ka"));
        const auto zenkakuHankaku = [&] {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Zenkaku_Hankaku, Qt::NoModifier);
            QApplication::sendEvent(g.box(), &press);
        };
        zenkakuHankaku();
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Hiragana);
        zenkakuHankaku();
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Direct);
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
        QCOMPARE(lstRireki(*g.window)->count(), 0);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("朝ka"));
        QApplication::sendEvent(g.box(), &commit);
        QCOMPARE(g.box()->text(), QStringLiteral("朝ka"));
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(lstRireki(*g.window)->count(), 1);
        QCOMPARE(lstRireki(*g.window)->item(0)->text(), QStringLiteral("あ _ "));
    }

    void newQuestionDropsPendingLetters() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("asak"));
        QCOMPARE(g.box()->pending(), QStringLiteral("k"));
        g.window->cmdStart_Click(); // empties the box
        QCOMPARE(g.box()->pending(), QString());
        QCOMPARE(g.box()->text(), QString());
    }
};

QTEST_MAIN(TestKanaEntry)
#include "test_kana_entry.moc"
