#include "app/input_method.h"
#include "support/window_fixture.h"

#include <QInputMethodEvent>
#include <QProcessEnvironment>
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
        QTest::addColumn<QString>("judged"); // to the question あ
        QTest::newRow("either case") << QStringLiteral("aSa") << "あさ";
        QTest::newRow("pending n becomes ん at Enter") << QStringLiteral("kaan") << "かあん";
        QTest::newRow("other pending letters stay") << QStringLiteral("ak") << "あk";
        QTest::newRow("nn is ん before a vowel or y") << QStringLiteral("annannya") << "あんあんや";
    }
    void typedRomajiIsJudgedAsHiragana() {
        QFETCH(QString, keys);
        QFETCH(QString, judged);
        Game g;
        QTest::keyClicks(g.box(), keys);
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(g.log()->count(), 1);
        QCOMPARE(g.log()->item(0)->text(), QStringLiteral("あ _ ") + judged);
    }

    void pendingLettersShowButAreNotText() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("ky"));
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("|ky"));
        QTest::keyClick(g.box(), Qt::Key_Backspace); // removes a pending letter first
        QTest::keyClicks(g.box(), QStringLiteral("a"));
        QCOMPARE(g.box()->text(), QStringLiteral("か"));
        QTest::keyClick(g.box(), Qt::Key_Backspace); // and with none pending, a kana
        QTest::keyClicks(g.box(), QStringLiteral("ky"));
        QTest::keyClick(g.box(), Qt::Key_Escape); // drops every pending letter
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("|"));
        // A lone n waits underlined; the second n makes ん at once.
        QTest::keyClicks(g.box(), QStringLiteral("hon"));
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("ほ|n"));
        QTest::keyClicks(g.box(), QStringLiteral("n"));
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("ほん|"));
        // A click in the box ends the composition, as leaving it does, and
        // places the cursor where it was clicked.
        QTest::keyClicks(g.box(), QStringLiteral("kan"));
        QTest::mouseClick(g.box(), Qt::LeftButton, {}, QPoint(2, g.box()->height() / 2));
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("ほんかん|"));
        QCOMPARE(g.box()->cursorPosition(), 0);
        QTest::keyClicks(g.box(), QStringLiteral("k"));
        g.window->cmdStart_Click(); // a new round empties the box, pending letters too
        QCOMPARE(g.box()->text() + g.box()->pending(), QString());
    }

    void functionKeysConvertTheWholeBox() {
        Game g;
        QTest::keyClicks(g.box(), QStringLiteral("akai"));
        QStringList texts;
        for (Qt::Key key : {Qt::Key_F7, Qt::Key_F8, Qt::Key_F6, Qt::Key_F10, Qt::Key_F9}) {
            QTest::keyClick(g.box(), key);
            texts << g.box()->text();
        }
        QCOMPARE(texts, (QStringList{"アカイ", "ｱｶｲ", "あかい", "akai", "ａｋａｉ"}));
    }

    // Direct entry and a system input method put text in as it comes.
    void directEntryAndInputMethodTextGoInUnchanged() {
        Game g;
        QTest::keyClick(g.box(), Qt::Key_Space, Qt::ControlModifier);
        QTest::keyClicks(g.box(), QStringLiteral("ka"));
        for (AnswerBox::Entry entry : {AnswerBox::Entry::Hiragana, AnswerBox::Entry::Direct}) {
            QTest::sendKeyEvent(QTest::Press, g.box(), Qt::Key_Zenkaku_Hankaku, QString(), {});
            QCOMPARE(g.box()->entry(), entry);
        }
        QFocusEvent in(QEvent::FocusIn); // every focus-in starts in hiragana entry again
        QApplication::sendEvent(g.box(), &in);
        QCOMPARE(g.box()->entry(), AnswerBox::Entry::Hiragana);
        QInputMethodEvent preedit(QStringLiteral("あさ"), {});
        QApplication::sendEvent(g.box(), &preedit);
        QTest::keyClick(g.box(), Qt::Key_Return); // it confirms the conversion, judges nothing
        QCOMPARE(g.log()->count(), 0);
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("朝ka"));
        QApplication::sendEvent(g.box(), &commit);
        QCOMPARE(g.box()->text(), QStringLiteral("ka朝ka"));
        QTest::keyClick(g.box(), Qt::Key_Return);
        QCOMPARE(g.log()->count(), 1);
    }

    // With the desktop's method at hand its keys and letters are its own, and
    // each time the box takes the focus it is asked for hiragana.
    void theDesktopsInputMethodTypesAlone() {
        struct Method : SystemInputMethod {
            int calls = 0;
            void turnOn(QWidget*) override { ++calls; }
        } method;
        Game g;
        g.box()->setSystemInputMethod(&method);
        for (int i = 1; i <= 2; ++i) {
            QFocusEvent in(QEvent::FocusIn);
            QApplication::sendEvent(g.box(), &in);
            QCOMPARE(method.calls, i);
        }
        QTest::keyClicks(g.box(), QStringLiteral("ka"));
        QTest::sendKeyEvent(QTest::Press, g.box(), Qt::Key_Zenkaku_Hankaku, QString(), {});
        QTest::keyClick(g.box(), Qt::Key_Space, Qt::ControlModifier);
        QTest::keyClicks(g.box(), QStringLiteral("a"));
        QCOMPARE(g.box()->text() + '|' + g.box()->pending(), QStringLiteral("kaa|"));
    }

    // ibus keeps its bus address in a file named after the machine and the display.
    void ibusAddressFileFollowsTheDisplay() {
        const auto file = [](const QStringList& variables) {
            QProcessEnvironment env;
            env.insert("HOME", "/h");
            for (const QString& v : variables) env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
            return ibusAddressFile(env, "m");
        };
        QCOMPARE((QStringList{file({"DISPLAY=:12.1"}), file({"DISPLAY=host:3.0"}), file({}),
                              file({"DISPLAY=:0", "WAYLAND_DISPLAY=wayland-1"}),
                              file({"XDG_CONFIG_HOME=cfg"}), file({"XDG_CONFIG_HOME=/c"})}),
                 (QStringList{"/h/.config/ibus/bus/m-unix-12", "/h/.config/ibus/bus/m-host-3",
                              "/h/.config/ibus/bus/m-unix-0", "/h/.config/ibus/bus/m-unix-wayland-1",
                              "/h/.config/ibus/bus/m-unix-0", "/c/ibus/bus/m-unix-0"}));
    }
};

QTEST_MAIN(TestKanaEntry)
#include "test_kana_entry.moc"
