#include "files/history_table.h"
#include "support/window_fixture.h"

#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// What the window shows of a round, by name, leaving out what is empty:
// "ok 1, head 1, tail 0, inside 0, score 1, question あ, log  _ いぬ".
QString shown(const MainWindow& w) {
    QStringList s;
    const auto add = [&](const char* name, const QString& text) {
        if (!text.isEmpty()) s << QString::fromUtf8(name) + u' ' + text;
    };
    add("ok", lblOk(w)->text());
    add("ng", lblNg(w)->text());
    add("head", lblTen(w, 0)->text());
    add("tail", lblTen(w, 1)->text());
    add("inside", lblTen(w, 2)->text());
    add("score", lblTen(w, 3)->text());
    add("typed", lblMoji_T(w)->text());
    add("rate", lblRitu(w)->text());
    add("speed", lblByou(w)->text());
    add("question", lblMondai(w)->text());
    add("answer", txtKaitou(w)->text());
    QStringList log;
    for (int i = 0; i < lstRireki(w)->count(); ++i)
        log << lstRireki(w)->item(i)->text();
    add("log", log.join(u'|'));
    return s.join(QStringLiteral(", "));
}

// Title, text, then buttons and icon by their numbers.
QStringList described(const QList<ShownMessage>& messages) {
    QStringList d;
    for (const ShownMessage& m : messages)
        d << QStringLiteral("%1|%2|%3%4").arg(m.title, m.text).arg(int(m.buttons)).arg(int(m.icon));
    return d;
}

} // namespace

class TestPlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Judging needs no round: before the first, and during the countdown against
    // the question left over.
    void answersAreJudgedOutsideARound() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        std::int16_t empty = 13, other = 'a'; // Enter on an empty box, another key
        w.txtKaitou_KeyPress(empty);
        txtKaitou(w)->setText(QStringLiteral("あ"));
        w.txtKaitou_KeyPress(other);
        QVERIFY(empty == 13 && other == 'a'); // neither judged nor consumed
        answer(w, QStringLiteral("いぬ"));    // the empty question is at the head of any word
        QCOMPARE(shown(w), "ok 1, head 1, tail 0, inside 0, score 1, question あ, log  _ いぬ");
        cmdStart(w)->click();
        w.tmrStart_Timer();
        answer(w, QStringLiteral("あさ"));
        QCOMPARE(shown(w),
                 "ok 1, ng 0, head 1, tail 0, inside 0, score 1, question あ, log あ _ あさ");
    }

    // Each question takes the focus to the answer box, wherever it was.
    void nextQuestionFocusesTheAnswerBox() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QWidget* elsewhere : std::initializer_list<QWidget*>{cmdHozon(w), lstRireki(w)}) {
            elsewhere->setFocus();
            QCOMPARE(QApplication::focusWidget(), elsewhere);
            answer(w, QStringLiteral("あさ"));
            QCOMPARE(QApplication::focusWidget(), txtKaitou(w));
        }
    }

    // An exact answer too long to count: nothing changes, not even the exclusion
    // file, which is written only once the verdict is formed.
    void overflowIsReportedAndChangesNothing() {
        const QString huge(40000, QChar(u'ぬ'));
        WindowFixture f(huge + QStringLiteral("\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        const QString before = shown(w);
        answer(w, huge);
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("範囲")));
        // The word stays in the box for the player; the log is empty yet.
        QCOMPARE(shown(w), before + QStringLiteral(", answer ") + huge);
        QCOMPARE(readBytes(kExclusionFile), QByteArray());
        answer(w, QStringLiteral("い")); // and play goes on
        QCOMPARE(lblNg(w)->text(), QStringLiteral("1"));
    }

    void everyQuestionExcludedTellsThePlayer() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        QVERIFY(roundRuns(w) && lblMondai(w)->text().isEmpty());
        answer(w, QStringLiteral("いぬ")); // said once, not after every Enter
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].text.contains(kExclusionFile));
        cboSet(w)->setEditText(QStringLiteral("２文字")); // each draw reads the mode
        answer(w, QStringLiteral("ああい"));
        QCOMPARE(lblMondai(w)->text(), QStringLiteral("ああ"));
        cboSet(w)->setEditText(QStringLiteral("１文字")); // said again after a question
        answer(w, QStringLiteral("ああ"));
        QCOMPARE(f.messages.shown.size(), 2);
    }

    // A hand-edited length below 1 starts the game but no round, nor a save;
    // a length picked from the list mends it.
    void roundLengthBelowOneAsksForALengthFromTheList() {
        WindowFixture f(QStringLiteral("あ\r\n"), "abc,0\r\n");
        MainWindow& w = f.load();
        QCOMPARE(cboJikan(w)->currentText(), QStringLiteral("0"));
        cmdStart(w)->click();
        w.tmrStart_Timer(); // no countdown: the lamps stay as they were
        QVERIFY(cmdStart(w)->isEnabled() && imgStart(w, 1)->isVisible() &&
                imgStart(w, 2)->isVisible());
        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QCOMPARE(f.messages.shown.size(), 2);
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("一覧から秒数を選んで")));
        QVERIFY(f.messages.shown[1].text.contains(kSettingsFile)); // the save: nothing to divide by
        QCOMPARE(msgRireki(w)->rows() + readBytes(kHistoryFile).size(), 1);
        pickRoundLength(w, QStringLiteral("60"));
        startRound(w);
        QVERIFY(roundRuns(w));
    }

    // A save stores the last round and shows, numbered on, what the file gives back.
    void saveShowsTheRoundAsTheFileHoldsIt() {
        WindowFixture f(QStringLiteral("あ\r\n"), "10,2\r\n"); // greyed: no auto-save
        MainWindow& w = f.load();
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        answer(w, QStringLiteral("い"));
        cmdHozon(w)->click(); // declined while the round runs
        runOut(w, f.clock);
        QCOMPARE(gridRow(w, 0).mid(0, 2), (QStringList{"回", "日付"})); // the fixed row
        // Stored as the file gives them back: a quote as ”, what code page 932 lacks as ?.
        for (const char16_t* set : {u"\"abc", u"é"}) {
            cboSet(w)->setEditText(QString::fromUtf16(set));
            cmdHozon(w)->click();
        }
        QCOMPARE(gridRow(w, 1), (QStringList{"1", "2009/06/21", "21:07:45", "”", "1", "1", "2", "0",
                                             "50.0%", "0.20/秒", "10秒"}));
        QCOMPARE(gridRow(w, 2).mid(0, 4), (QStringList{"2", "2009/06/21", "21:07:45", "?"}));
        const std::vector<HistoryRecord> stored = loadHistory(kHistoryFile);
        QCOMPARE(stored.size(), size_t(2));
        for (int r = 0; r < 2; ++r) {
            const auto& cells = stored[size_t(r)].cells();
            QCOMPARE(gridRow(w, r + 1).mid(1), QStringList(cells.begin(), cells.end()));
        }
    }

    void clearAsksFirst() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, kHistoryLine.repeated(2));
        MainWindow& w = f.load();
        f.messages.answers = {MessageBoxes::Answer::Cancel};
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 3);
        QCOMPARE(readBytes(kHistoryFile), kHistoryLine.repeated(2));
        QCOMPARE(described(f.messages.shown),
                 QStringList{
                     QStringLiteral("クリア確認|履歴データをクリアします。よろしいですか？|10")});
    }

    // Emptying needs no room: a full device takes it, and the table follows.
    void clearEmptiesTheHistory() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, kHistoryLine.repeated(2));
        MainWindow& w = f.load();
        QFile::remove(kHistoryFile);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), kHistoryFile));
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 1);
        QCOMPARE(described(f.messages.shown).value(1),
                 QStringLiteral("クリア終了|履歴データをクリアしました|01"));
    }

    // Each choice is stored at once; typing into the length's field is no choice.
    void settingsFollowTheControls() {
        WindowFixture f;
        MainWindow& w = f.load();
        pickRoundLength(w, QStringLiteral("90"));
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,1\r\n"));
        chkAs(w)->click();
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
        cboJikan(w)->setFocus();
        cboJikan(w)->lineEdit()->selectAll();
        QTest::keyClicks(cboJikan(w), QStringLiteral("45"));
        QTest::keyClick(cboJikan(w), Qt::Key_Return);
        QCOMPARE(readBytes(kSettingsFile), QByteArray("90,0\r\n"));
    }

    void wholeRound() {
        WindowFixture f(QStringLiteral("あ\r\n"), "10,1\r\n");
        MainWindow& w = f.load();
        cmdStart(w)->click();
        for (int tick = 1; tick <= 3; ++tick) { // on the window's own timers, both running
            QTRY_VERIFY_WITH_TIMEOUT(
                imgStart(w, tick)->isVisible() && !imgStart(w, (tick + 1) % 3 + 1)->isVisible(), 3000);
            for (int lamp = 1; lamp <= 3; ++lamp)
                QCOMPARE(imgStart(w, lamp)->isVisible(), lamp == tick);
        }
        QVERIFY(!cmdStart(w)->isEnabled());
        for (const char* word : {"あさ", "いあ", "かあさ", "い"})
            answer(w, QString::fromUtf8(word));
        f.clock.seconds += 5;
        QTRY_COMPARE_WITH_TIMEOUT(shpJikanK(w)->width(), 291, 3000); // 4372 twips
        const QString counted = QStringLiteral("ok 3, ng 1, head 1, tail 1, inside 1, score 5, ");
        const QString log =
            QStringLiteral("question あ, log あ _ あさ|あ _ いあ|あ _ かあさ|あ _ ");
        QCOMPARE(shown(w), counted + log); // no statistics yet
        runOut(w, f.clock);
        QVERIFY(cmdStart(w)->isEnabled());
        QCOMPARE(shpJikanK(w)->width(), 0);
        QCOMPARE(shown(w), counted + QStringLiteral("typed 7, rate 75.0%, speed 0.70/秒, ") + log);
        QCOMPARE(msgRireki(w)->rows(), 2); // auto-saved
        QVERIFY(f.messages.shown.isEmpty());
        cmdStart(w)->click(); // the next start sets everything back, the log too
        QCOMPARE(shown(w), "ok 0, ng 0, head 0, tail 0, inside 0, score 0");
        QCOMPARE(shpJikanK(w)->width(), 583);
    }

    void helpOpensAtEveryClick() {
        WindowFixture f;
        MainWindow& w = f.load();
        cmdHelp(w)->click(), cmdHelp(w)->click();
        QCOMPARE(f.help.calls, (QStringList{"display:KbHelp.chm", "display:KbHelp.chm"}));
    }

    void endClosesTheHelpAndTheWindow() {
        WindowFixture f;
        MainWindow& w = f.load();
        cmdEnd(w)->click();
        QCOMPARE(f.help.calls, QStringList{"close:KbHelp.chm"});
        QVERIFY(!w.isVisible() && !w.tmrBp.isActive());
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
