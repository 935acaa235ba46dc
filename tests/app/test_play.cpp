#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
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
    for (int i = 0; i < w.lstRireki->count(); ++i)
        lines << w.lstRireki->item(i)->text();
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
        QCOMPARE(w.lblMondai->text(), QStringLiteral("あ"));
        for (const char16_t* word : {u"あさ", u"いあ", u"かあさ", u"い"})
            answer(w, QString::fromUtf16(word));
        QCOMPARE(w.lblOk->text(), QStringLiteral("3"));
        QCOMPARE(w.lblNg->text(), QStringLiteral("1"));
        QCOMPARE(w.lblTen[0]->text(), QStringLiteral("1"));
        QCOMPARE(w.lblTen[1]->text(), QStringLiteral("1"));
        QCOMPARE(w.lblTen[2]->text(), QStringLiteral("1"));
        QCOMPARE(w.lblTen[3]->text(), QStringLiteral("5"));
        QCOMPARE(logLines(w), (QStringList{"あ _ あさ", "あ _ いあ", "あ _ かあさ", "あ _ "}));
        QCOMPARE(int(w.state().typedChars), 2 + 2 + 3);
        QVERIFY(w.txtKaitou->text().isEmpty());
        QVERIFY(w.txtKaitou->hasFocus() || !QApplication::focusWidget());

        // The bare question goes to the exclusion file and changes nothing else.
        answer(w, QStringLiteral("あ"));
        QCOMPARE(readBytes(kExclusionFile), encodeCp932(u"あ\r\n"));
        QCOMPARE(int(w.state().typedChars), 8);
        QCOMPARE(w.lstRireki->count(), 4);
        QCOMPARE(w.lblTen[3]->text(), QStringLiteral("5"));
        // Already appended this run: not appended twice.
        answer(w, QStringLiteral("あ"));
        QCOMPARE(readBytes(kExclusionFile), encodeCp932(u"あ\r\n"));
        QVERIFY(f.messages.shown.isEmpty());
    }

    void enterOnAnEmptyBoxAndOtherKeysDoNothing() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        std::int16_t key = 13;
        w.txtKaitou->setText(QString());
        w.txtKaitou_KeyPress(key);
        QCOMPARE(int(key), 13); // not consumed
        key = 'a';
        w.txtKaitou->setText(QStringLiteral("あ"));
        w.txtKaitou_KeyPress(key);
        QCOMPARE(int(key), int('a'));
        QCOMPARE(w.lstRireki->count(), 0);
        QCOMPARE(w.state().okCount, std::int16_t(0));
    }

    void judgingRunsBeforeTheFirstRoundAndDuringTheCountdown() {
        WindowFixture f(QStringLiteral("う\r\n"));
        MainWindow& w = f.load();
        answer(w, QStringLiteral("いぬ")); // the empty question is at the head of any word
        QCOMPARE(logLines(w), QStringList{" _ いぬ"});
        QCOMPARE(w.lblTen[3]->text(), QStringLiteral("1"));
        QCOMPARE(w.lblMondai->text(),
                 QStringLiteral("う")); // a question is shown although no round runs
        w.cmdStart->click();
        w.tmrStart_Timer();
        answer(w, QStringLiteral("うし")); // judged against the question left over
        QCOMPARE(w.lblOk->text(), QStringLiteral("1"));
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
        QCOMPARE(w.txtKaitou->text(), longWord); // the word stays for the player
        QCOMPARE(w.state().okCount, std::int16_t(0));
        QCOMPARE(w.state().score, std::int16_t(0));
        QCOMPARE(w.lstRireki->count(), 0);
        QVERIFY(w.lblOk->text() == QStringLiteral("0"));
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
        w.cboSet->setEditText(QStringLiteral("２文字"));
        answer(w, QStringLiteral("ああい"));
        QCOMPARE(w.lblMondai->text(), QStringLiteral("ああ"));
    }

    void saveAddsOneRowAndOneRecord() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        w.cmdHozon->click(); // nothing judged yet: declined
        QCOMPARE(w.msgRireki->rows(), 1);
        startRound(w);
        w.cmdHozon->click(); // the round runs: declined
        QCOMPARE(w.msgRireki->rows(), 1);
        for (const char16_t* word : {u"あさ", u"あい", u"あお", u"あか", u"あき", u"い"})
            answer(w, QString::fromUtf16(word));
        for (int i = 0; i < 40 - 10; ++i) // bring typedChars to 40 with exact answers
            answer(w, QStringLiteral("あ"));
        QCOMPARE(int(w.state().typedChars), 40);
        runOut(w, f.clock);
        QCOMPARE(w.msgRireki->rows(), 2); // saved automatically
        const QStringList expected{"1",  "2009/06/21", "21:07:45", "１",      "5",   "1",
                                   "40", "4",          "83.3%",    "0.67/秒", "60秒"};
        for (int c = 0; c <= 10; ++c)
            QCOMPARE(w.msgRireki->textAt(1, c), expected[c]);
        const QByteArray record = encodeCp932(
            u"\"2009/06/21\",\"21:07:45\",\"１\",5,1,40,4,\"83.3%\",\"0.67/秒\",\"60秒\"\r\n");
        QCOMPARE(readBytes(kHistoryFile), record);
        w.cmdHozon->click(); // saving twice gives two rows
        QCOMPARE(w.msgRireki->rows(), 3);
        QCOMPARE(w.msgRireki->textAt(2, 0), QStringLiteral("2"));
        QCOMPARE(readBytes(kHistoryFile), record + record);

        // The next start shows the same rows.
        WindowFixture again =
            WindowFixture(QStringLiteral("あ\r\n"), "60,1\r\n", {}, record + record);
        MainWindow& w2 = again.load();
        for (int c = 0; c <= 10; ++c)
            QCOMPARE(w2.msgRireki->textAt(1, c), expected[c]);
    }

    void setTextThatTheFileCannotCarryIsStoredAsItReadsBack() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        answer(w, QStringLiteral("あさ"));
        w.cboSet->setEditText(QStringLiteral("\"abc"));
        w.cmdHozon->click();
        w.cboSet->setEditText(QStringLiteral("é"));
        w.cmdHozon->click();
        const std::vector<QString> rows = loadHistoryRows(kHistoryFile);
        HistoryModel model;
        model.resetRows(rows);
        QCOMPARE(model.rowCount(), 2);
        for (int r = 0; r < 2; ++r)
            for (int c = 1; c <= 10; ++c)
                QCOMPARE(model.cell(r, c), w.msgRireki->textAt(r + 1, c));
        QCOMPARE(w.msgRireki->textAt(2, 3), QStringLiteral("?"));
    }

    void clearAsksFirstAndEmptiesBoth() {
        const QByteArray record =
            "\"2009/06/21\",\"21:07:45\",\"1\",1,0,2,1,\"100.0%\",\"0.03\",\"60\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, record + record);
        MainWindow& w = f.load();
        f.messages.answers = {MessageBoxes::Answer::Cancel};
        w.cmdClear->click();
        QCOMPARE(w.msgRireki->rows(), 3);
        QCOMPARE(readBytes(kHistoryFile), record + record);
        QCOMPARE(f.messages.shown.size(), 1);
        const ShownMessage& ask = f.messages.shown[0];
        QCOMPARE(ask.text, QStringLiteral("履歴データをクリアします。よろしいですか？"));
        QCOMPARE(ask.title, QStringLiteral("クリア確認"));
        QCOMPARE(ask.buttons, MessageBoxes::Buttons::OkCancel);
        QCOMPARE(ask.icon, MessageBoxes::Icon::Warning);

        w.cmdClear->click();
        QCOMPARE(w.msgRireki->rows(), 1);
        QCOMPARE(QFileInfo(kHistoryFile).size(), 0);
        QCOMPARE(f.messages.shown.size(), 3);
        const ShownMessage& done = f.messages.shown[2];
        QCOMPARE(done.text, QStringLiteral("履歴データをクリアしました"));
        QCOMPARE(done.title, QStringLiteral("クリア終了"));
        QCOMPARE(done.buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(done.icon, MessageBoxes::Icon::Information);

        answer(w, QStringLiteral("あさ"));
        w.cmdHozon->click();
        QCOMPARE(w.msgRireki->textAt(1, 0), QStringLiteral("1")); // numbering starts again
    }

    void settingsFollowTheControls() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n");
        MainWindow& w = f.load();
        pickRoundLength(w, QStringLiteral("90"));
        QCOMPARE(int(w.state().timeLimitSeconds), 90);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,1\r\n"));
        w.chkAs->click();
        QCOMPARE(int(w.state().autoSave), 0);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
        // Typing into the edit field is not a choice.
        w.cboJikan->setFocus();
        w.cboJikan->lineEdit()->selectAll();
        QTest::keyClicks(w.cboJikan, QStringLiteral("45"));
        QTest::keyClick(w.cboJikan, Qt::Key_Return);
        QCOMPARE(int(w.state().timeLimitSeconds), 90);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }

    void wholeRound() {
        WindowFixture f(QStringLiteral("あ\r\n"), "10,1\r\n");
        MainWindow& w = f.load();
        w.cmdStart->click();
        QVERIFY(!w.cmdStart->isEnabled());
        QVERIFY(w.state().countdownActive);
        QCOMPARE(w.shpJikanK->width(), 583);
        const QLabel* lights[] = {w.imgStart[1], w.imgStart[2], w.imgStart[3]};
        for (int tick = 1; tick <= 3; ++tick) {
            w.tmrBp_Timer(); // the round timer ignores the countdown
            w.tmrStart_Timer();
            for (int i = 0; i < 3; ++i)
                QCOMPARE(lights[i]->isVisible(), i + 1 == tick);
            QVERIFY(!w.cmdStart->isEnabled());
        }
        QVERIFY(w.state().roundRunning);
        QVERIFY(!w.state().countdownActive);
        QCOMPARE(w.lblMondai->text(), QStringLiteral("あ"));
        QCOMPARE(w.state().roundEndTime, f.clock.seconds + 10);
        w.tmrStart_Timer(); // the tick after the start resets the step
        QCOMPARE(int(w.state().countdownStep), 0);

        answer(w, QStringLiteral("あさ"));
        answer(w, QStringLiteral("いあ"));
        answer(w, QStringLiteral("かあさ"));
        answer(w, QStringLiteral("い"));
        f.clock.seconds += 5;
        w.tmrBp_Timer();
        QCOMPARE(w.shpJikanK->width(), 291); // 4372 twips
        QVERIFY(w.lblRitu->text().isEmpty());
        runOut(w, f.clock);
        QVERIFY(w.cmdStart->isEnabled());
        QCOMPARE(w.shpJikanK->width(), 0);
        QCOMPARE(w.lblRitu->text(), QStringLiteral("75.0%"));
        QCOMPARE(w.lblByou->text(), QStringLiteral("0.70/秒"));
        QCOMPARE(w.lblMoji_T->text(), QStringLiteral("7"));
        QVERIFY(w.imgStart[3]->isVisible());
        QCOMPARE(w.msgRireki->rows(), 2); // auto-save

        // After the end, answers move the counters but not the statistics.
        answer(w, QStringLiteral("あか"));
        QCOMPARE(w.lblOk->text(), QStringLiteral("4"));
        QCOMPARE(w.lblRitu->text(), QStringLiteral("75.0%"));
        QCOMPARE(w.lblMoji_T->text(), QStringLiteral("7"));
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
        QCOMPARE(w.msgRireki->rows(), rows);
        QCOMPARE(w.lblRitu->text(), answered ? QStringLiteral("100.0%") : QStringLiteral("0.0%"));
        QVERIFY(f.messages.shown.isEmpty());
    }

    void helpAndEnd() {
        WindowFixture f;
        MainWindow& w = f.load();
        w.cmdHelp->click();
        w.cmdHelp->click();
        QCOMPARE(f.help.calls, (QStringList{"display:KbHelp.chm", "display:KbHelp.chm"}));
        w.cmdEnd->click();
        QCOMPARE(f.help.calls.last(), QStringLiteral("close:KbHelp.chm"));
        QVERIFY(!w.isVisible());
        QVERIFY(!w.tmrBp.isActive());
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
