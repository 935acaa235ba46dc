#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
#include "files/history_table.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>

using namespace kb;
using namespace kb::test;

namespace {

QStringList logLines(const MainWindow& w) {
    QStringList lines;
    for (int i = 0; i < lstRireki(w)->count(); ++i)
        lines << lstRireki(w)->item(i)->text();
    return lines;
}

} // namespace

class TestPlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void judgingFillsLabelsLogAndExclusions() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        QCOMPARE(lblMondai(w)->text(), QStringLiteral("あ"));
        for (const char16_t* word : {u"あさ", u"いあ", u"かあさ", u"い"})
            answer(w, QString::fromUtf16(word));
        QCOMPARE(lblOk(w)->text(), QStringLiteral("3"));
        QCOMPARE(lblNg(w)->text(), QStringLiteral("1"));
        QCOMPARE(lblTen(w, 0)->text(), QStringLiteral("1"));
        QCOMPARE(lblTen(w, 1)->text(), QStringLiteral("1"));
        QCOMPARE(lblTen(w, 2)->text(), QStringLiteral("1"));
        QCOMPARE(lblTen(w, 3)->text(), QStringLiteral("5"));
        QCOMPARE(logLines(w), (QStringList{"あ _ あさ", "あ _ いあ", "あ _ かあさ", "あ _ "}));
        QCOMPARE(int(w.state().typedChars), 2 + 2 + 3);
        QVERIFY(txtKaitou(w)->text().isEmpty());
        QVERIFY(txtKaitou(w)->hasFocus() || !QApplication::focusWidget());

        // The bare question goes to the exclusion file and changes nothing else.
        answer(w, QStringLiteral("あ"));
        QCOMPARE(readBytes(kExclusionFile), encodeCp932(u"あ\r\n"));
        QCOMPARE(int(w.state().typedChars), 8);
        QCOMPARE(lstRireki(w)->count(), 4);
        QCOMPARE(lblTen(w, 3)->text(), QStringLiteral("5"));
        // Already appended this run: not appended twice.
        answer(w, QStringLiteral("あ"));
        QCOMPARE(readBytes(kExclusionFile), encodeCp932(u"あ\r\n"));
        QVERIFY(f.messages.shown.isEmpty());
    }

    void enterOnAnEmptyBoxAndOtherKeysDoNothing() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        std::int16_t key = 13;
        txtKaitou(w)->setText(QString());
        w.txtKaitou_KeyPress(key);
        QCOMPARE(int(key), 13); // not consumed
        key = 'a';
        txtKaitou(w)->setText(QStringLiteral("あ"));
        w.txtKaitou_KeyPress(key);
        QCOMPARE(int(key), int('a'));
        QCOMPARE(lstRireki(w)->count(), 0);
        QCOMPARE(w.state().okCount, std::int16_t(0));
    }

    void judgingRunsBeforeTheFirstRoundAndDuringTheCountdown() {
        WindowFixture f(QStringLiteral("う\r\n"));
        MainWindow& w = f.load();
        answer(w, QStringLiteral("いぬ")); // the empty question is at the head of any word
        QCOMPARE(logLines(w), QStringList{" _ いぬ"});
        QCOMPARE(lblTen(w, 3)->text(), QStringLiteral("1"));
        QCOMPARE(lblMondai(w)->text(),
                 QStringLiteral("う")); // a question is shown although no round runs
        cmdStart(w)->click();
        w.tmrStart_Timer();
        answer(w, QStringLiteral("うし")); // judged against the question left over
        QCOMPARE(lblOk(w)->text(), QStringLiteral("1"));
        QCOMPARE(w.state().score, std::int16_t(1));
    }

    void overflowLeavesEverythingAsItWas() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        const QString longWord = QStringLiteral("あ") + QString(40000, QLatin1Char('x'));
        answer(w, longWord);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("範囲")));
        QCOMPARE(txtKaitou(w)->text(), longWord); // the word stays for the player
        QCOMPARE(w.state().okCount, std::int16_t(0));
        QCOMPARE(w.state().score, std::int16_t(0));
        QCOMPARE(lstRireki(w)->count(), 0);
        QVERIFY(lblOk(w)->text() == QStringLiteral("0"));
        answer(w, QStringLiteral("あさ")); // and play goes on
        QCOMPARE(w.state().okCount, std::int16_t(1));
    }

    void everyQuestionExcludedTellsThePlayer() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        QVERIFY(w.state().roundRunning);
        QVERIFY(w.state().currentQuestion.isEmpty());
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(kExclusionFile));
        cboSet(w)->setEditText(QStringLiteral("２文字"));
        answer(w, QStringLiteral("ああい"));
        QCOMPARE(lblMondai(w)->text(), QStringLiteral("ああ"));
    }

    void saveAddsOneRowAndOneRecord() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        cmdHozon(w)->click(); // nothing judged yet: declined
        QCOMPARE(msgRireki(w)->rows(), 1);
        startRound(w);
        cmdHozon(w)->click(); // the round runs: declined
        QCOMPARE(msgRireki(w)->rows(), 1);
        for (const char16_t* word : {u"あさ", u"あい", u"あお", u"あか", u"あき", u"い"})
            answer(w, QString::fromUtf16(word));
        for (int i = 0; i < 40 - 10; ++i) // bring typedChars to 40 with exact answers
            answer(w, QStringLiteral("あ"));
        QCOMPARE(int(w.state().typedChars), 40);
        runOut(w, f.clock);
        QCOMPARE(msgRireki(w)->rows(), 2); // saved automatically
        const QStringList expected{"1",  "2009/06/21", "21:07:45", "１",      "5",   "1",
                                   "40", "4",          "83.3%",    "0.67/秒", "60秒"};
        for (int c = 0; c <= 10; ++c)
            QCOMPARE(msgRireki(w)->textAt(1, c), expected[c]);
        const QByteArray record = encodeCp932(
            u"\"2009/06/21\",\"21:07:45\",\"１\",5,1,40,4,\"83.3%\",\"0.67/秒\",\"60秒\"\r\n");
        QCOMPARE(readBytes(kHistoryFile), record);
        cmdHozon(w)->click(); // saving twice gives two rows
        QCOMPARE(msgRireki(w)->rows(), 3);
        QCOMPARE(msgRireki(w)->textAt(2, 0), QStringLiteral("2"));
        QCOMPARE(readBytes(kHistoryFile), record + record);

        // The next start shows the same rows.
        WindowFixture again =
            WindowFixture(QStringLiteral("あ\r\n"), "60,1\r\n", {}, record + record);
        MainWindow& w2 = again.load();
        for (int c = 0; c <= 10; ++c)
            QCOMPARE(msgRireki(w2)->textAt(1, c), expected[c]);
    }

    void setTextThatTheFileCannotCarryIsStoredAsItReadsBack() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        answer(w, QStringLiteral("あさ"));
        cboSet(w)->setEditText(QStringLiteral("\"abc"));
        cmdHozon(w)->click();
        cboSet(w)->setEditText(QStringLiteral("é"));
        cmdHozon(w)->click();
        const std::vector<HistoryRecord> stored = loadHistory(kHistoryFile);
        QCOMPARE(stored.size(), size_t(2));
        for (int r = 0; r < 2; ++r)
            for (int c = 1; c <= 10; ++c)
                QCOMPARE(stored[size_t(r)].cells()[size_t(c - 1)], msgRireki(w)->textAt(r + 1, c));
        QCOMPARE(msgRireki(w)->textAt(2, 3), QStringLiteral("?"));
    }

    void clearAsksFirstAndEmptiesBoth() {
        const QByteArray record =
            "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, record + record);
        MainWindow& w = f.load();
        f.messages.answers = {MessageBoxes::Answer::Cancel};
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 3);
        QCOMPARE(readBytes(kHistoryFile), record + record);
        QCOMPARE(f.messages.shown.size(), 1);
        const ShownMessage& ask = f.messages.shown[0];
        QCOMPARE(ask.text, QStringLiteral("履歴データをクリアします。よろしいですか？"));
        QCOMPARE(ask.title, QStringLiteral("クリア確認"));
        QCOMPARE(ask.buttons, MessageBoxes::Buttons::OkCancel);
        QCOMPARE(ask.icon, MessageBoxes::Icon::Warning);

        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 1);
        QCOMPARE(QFileInfo(kHistoryFile).size(), 0);
        QCOMPARE(f.messages.shown.size(), 3);
        const ShownMessage& done = f.messages.shown[2];
        QCOMPARE(done.text, QStringLiteral("履歴データをクリアしました"));
        QCOMPARE(done.title, QStringLiteral("クリア終了"));
        QCOMPARE(done.buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(done.icon, MessageBoxes::Icon::Information);

        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QCOMPARE(msgRireki(w)->textAt(1, 0), QStringLiteral("1")); // numbering starts again
    }

    void settingsFollowTheControls() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n");
        MainWindow& w = f.load();
        pickRoundLength(w, QStringLiteral("90"));
        QCOMPARE(int(w.state().timeLimitSeconds), 90);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,1\r\n"));
        chkAs(w)->click();
        QCOMPARE(int(w.state().autoSave), 0);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
        // Typing into the edit field is not a choice.
        cboJikan(w)->setFocus();
        cboJikan(w)->lineEdit()->selectAll();
        QTest::keyClicks(cboJikan(w), QStringLiteral("45"));
        QTest::keyClick(cboJikan(w), Qt::Key_Return);
        QCOMPARE(int(w.state().timeLimitSeconds), 90);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }

    void wholeRound() {
        WindowFixture f(QStringLiteral("あ\r\n"), "10,1\r\n");
        MainWindow& w = f.load();
        cmdStart(w)->click();
        QVERIFY(!cmdStart(w)->isEnabled());
        QVERIFY(w.state().countdownActive);
        QCOMPARE(shpJikanK(w)->width(), 583);
        const QLabel* lights[] = {imgStart(w, 1), imgStart(w, 2), imgStart(w, 3)};
        for (int tick = 1; tick <= 3; ++tick) {
            w.tmrBp_Timer(); // the round timer ignores the countdown
            w.tmrStart_Timer();
            for (int i = 0; i < 3; ++i)
                QCOMPARE(lights[i]->isVisible(), i + 1 == tick);
            QVERIFY(!cmdStart(w)->isEnabled());
        }
        QVERIFY(w.state().roundRunning);
        QVERIFY(!w.state().countdownActive);
        QCOMPARE(lblMondai(w)->text(), QStringLiteral("あ"));
        QCOMPARE(w.state().roundEndTime, f.clock.seconds + 10);
        w.tmrStart_Timer(); // the tick after the start resets the step
        QCOMPARE(int(w.state().countdownStep), 0);

        answer(w, QStringLiteral("あさ"));
        answer(w, QStringLiteral("いあ"));
        answer(w, QStringLiteral("かあさ"));
        answer(w, QStringLiteral("い"));
        f.clock.seconds += 5;
        w.tmrBp_Timer();
        QCOMPARE(shpJikanK(w)->width(), 291); // 4372 twips
        QVERIFY(lblRitu(w)->text().isEmpty());
        runOut(w, f.clock);
        QVERIFY(cmdStart(w)->isEnabled());
        QCOMPARE(shpJikanK(w)->width(), 0);
        QCOMPARE(lblRitu(w)->text(), QStringLiteral("75.0%"));
        QCOMPARE(lblByou(w)->text(), QStringLiteral("0.70/秒"));
        QCOMPARE(lblMoji_T(w)->text(), QStringLiteral("7"));
        QVERIFY(imgStart(w, 3)->isVisible());
        QCOMPARE(msgRireki(w)->rows(), 2); // auto-save

        // After the end, answers move the counters but not the statistics.
        answer(w, QStringLiteral("あか"));
        QCOMPARE(lblOk(w)->text(), QStringLiteral("4"));
        QCOMPARE(lblRitu(w)->text(), QStringLiteral("75.0%"));
        QCOMPARE(lblMoji_T(w)->text(), QStringLiteral("7"));
    }

    void autoSaveRunsTheSaveWhenDue_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("rows");
        // The condition itself is test_round's; these check the window asks it.
        QTest::newRow("on") << QByteArray("10,1") << true << 2;
        QTest::newRow("greyed") << QByteArray("10,2") << true << 1;
        QTest::newRow("on without answers") << QByteArray("10,1") << false << 1;
    }
    void autoSaveRunsTheSaveWhenDue() {
        QFETCH(QByteArray, settings);
        QFETCH(bool, answered);
        QFETCH(int, rows);
        WindowFixture f(QStringLiteral("あ\r\n"), settings);
        MainWindow& w = f.load();
        startRound(w);
        if (answered)
            answer(w, QStringLiteral("あさ"));
        else
            answer(w, QStringLiteral("あ")); // exact answers count no answer
        runOut(w, f.clock);
        QCOMPARE(msgRireki(w)->rows(), rows);
        QCOMPARE(lblRitu(w)->text(), answered ? QStringLiteral("100.0%") : QStringLiteral("0.0%"));
        QVERIFY(f.messages.shown.isEmpty());
    }

    void helpAndEnd() {
        WindowFixture f;
        MainWindow& w = f.load();
        cmdHelp(w)->click();
        cmdHelp(w)->click();
        QCOMPARE(f.help.calls, (QStringList{"display:KbHelp.chm", "display:KbHelp.chm"}));
        cmdEnd(w)->click();
        QCOMPARE(f.help.calls.last(), QStringLiteral("close:KbHelp.chm"));
        QVERIFY(!w.isVisible());
        QVERIFY(!w.tmrBp.isActive());
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
