#include "files/history_table.h"
#include "support/window_fixture.h"

#include <QTest>

using namespace kb;
using namespace kb::test;

namespace {

// What the window shows of a round in one line: OK, NG, the four score boxes,
// characters, rate and speed, then the question, the answer box and the log.
QString shown(const MainWindow& w) {
    QStringList labels;
    for (const QLabel* l : {lblOk(w), lblNg(w), lblTen(w, 0), lblTen(w, 1), lblTen(w, 2),
                            lblTen(w, 3), lblMoji_T(w), lblRitu(w), lblByou(w)})
        labels << l->text();
    QStringList s{labels.join(QLatin1Char(',')), lblMondai(w)->text(), txtKaitou(w)->text()};
    for (int i = 0; i < lstRireki(w)->count(); ++i)
        s << lstRireki(w)->item(i)->text();
    return s.join(QLatin1Char('|'));
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
    void answersAreJudgedOutsideARoundAndExactOnesExcluded() {
        WindowFixture f(QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        std::int16_t empty = 13, other = 'a'; // Enter on an empty box, another key
        w.txtKaitou_KeyPress(empty);
        txtKaitou(w)->setText(QStringLiteral("あ"));
        w.txtKaitou_KeyPress(other);
        QVERIFY(empty == 13 && other == 'a'); // neither judged nor consumed
        answer(w, QStringLiteral("いぬ"));    // the empty question is at the head of any word
        QCOMPARE(shown(w), QStringLiteral("1,,1,0,0,1,,,|あ|| _ いぬ"));
        cmdStart(w)->click();
        w.tmrStart_Timer();
        answer(w, QStringLiteral("あさ"));
        QCOMPARE(shown(w), QStringLiteral("1,0,1,0,0,1,,,|あ||あ _ あさ"));
        QVERIFY(txtKaitou(w)->hasFocus() || !QApplication::focusWidget());
        // An exact answer only goes to the exclusion file, once a run.
        const QString before = shown(w);
        answer(w, QStringLiteral("あ"));
        answer(w, QStringLiteral("あ"));
        QCOMPARE(shown(w), before);
        QCOMPARE(readBytes(kExclusionFile), encodeCp932(u"あ\r\n"));
        QVERIFY(f.messages.shown.isEmpty());
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
        QCOMPARE(shown(w), before + huge); // the word stays in the box for the player
        QCOMPARE(readBytes(kExclusionFile), QByteArray());
        answer(w, QStringLiteral("い")); // and play goes on
        QCOMPARE(lblNg(w)->text(), QStringLiteral("1"));
    }

    void everyQuestionExcludedTellsThePlayer() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,1\r\n", QStringLiteral("あ\r\n"));
        MainWindow& w = f.load();
        startRound(w);
        QVERIFY(w.state().roundRunning && lblMondai(w)->text().isEmpty());
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
        QVERIFY(cmdStart(w)->isEnabled() && !w.state().countdownActive);
        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QCOMPARE(f.messages.shown.size(), 2);
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("一覧から秒数を選んで")));
        QVERIFY(f.messages.shown[1].text.contains(kSettingsFile)); // the save: nothing to divide by
        QCOMPARE(msgRireki(w)->rows() + readBytes(kHistoryFile).size(), 1);
        pickRoundLength(w, QStringLiteral("60"));
        startRound(w);
        QVERIFY(w.state().roundRunning);
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
        QCOMPARE(msgRireki(w)->rows(), 1);
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

    void clearAsksFirstAndEmptiesBoth() {
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, kHistoryLine.repeated(2));
        MainWindow& w = f.load();
        f.messages.answers = {MessageBoxes::Answer::Cancel};
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 3);
        // Emptying needs no room: a full device takes it, and the table follows.
        QFile::remove(kHistoryFile);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), kHistoryFile));
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 1);
        const QString ask =
            QStringLiteral("クリア確認|履歴データをクリアします。よろしいですか？|10");
        QCOMPARE(
            described(f.messages.shown),
            (QStringList{ask, ask, QStringLiteral("クリア終了|履歴データをクリアしました|01")}));
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
        for (int tick = 1; tick <= 3; ++tick) {
            w.tmrBp_Timer(); // the round timer ignores the countdown
            w.tmrStart_Timer();
            for (int lamp = 1; lamp <= 3; ++lamp)
                QCOMPARE(imgStart(w, lamp)->isVisible(), lamp == tick);
        }
        QVERIFY(!cmdStart(w)->isEnabled());
        for (const char* word : {"あさ", "いあ", "かあさ", "い"})
            answer(w, QString::fromUtf8(word));
        f.clock.seconds += 5;
        w.tmrBp_Timer();
        QCOMPARE(shpJikanK(w)->width(), 291); // 4372 twips
        const QString log = QStringLiteral("|あ||あ _ あさ|あ _ いあ|あ _ かあさ|あ _ ");
        QCOMPARE(shown(w), QStringLiteral("3,1,1,1,1,5,,,") + log); // no statistics yet
        runOut(w, f.clock);
        QVERIFY(cmdStart(w)->isEnabled());
        QCOMPARE(shpJikanK(w)->width(), 0);
        QCOMPARE(shown(w), QStringLiteral("3,1,1,1,1,5,7,75.0%,0.70/秒") + log);
        QCOMPARE(msgRireki(w)->rows(), 2); // auto-saved
        QVERIFY(f.messages.shown.isEmpty());
        cmdStart(w)->click(); // the next start sets everything back, the log too
        QCOMPARE(shown(w), QStringLiteral("0,0,0,0,0,0,,,||"));
        QCOMPARE(shpJikanK(w)->width(), 583);
    }

    void helpAndEnd() {
        WindowFixture f;
        MainWindow& w = f.load();
        cmdHelp(w)->click();
        cmdHelp(w)->click();
        cmdEnd(w)->click();
        QCOMPARE(f.help.calls,
                 (QStringList{"display:KbHelp.chm", "display:KbHelp.chm", "close:KbHelp.chm"}));
        QVERIFY(!w.isVisible() && !w.tmrBp.isActive());
    }
};

QTEST_MAIN(TestPlay)
#include "test_play.moc"
