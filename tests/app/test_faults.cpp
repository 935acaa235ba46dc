// Faults injected under the real window: writes that fail at open or partway,
// damaged files at start-up, sizes at the limits, and a long stress run (memory
// growth over many answers is bench/'s BM_AnswerMemory). The
// window must report and go on, change no file it did not mean to, and show
// what the files hold.

#include "app/answer_box.h"
#include "app/controls.h"
#include "app/history_grid.h"
#include "files/history_table.h"
#include "files/sequential_file.h"
#include "files/settings.h"
#include "support/controls.h"
#include "support/window_fixture.h"

#include <csignal>
#include <QLabel>
#include <QListWidget>
#include <QMap>
#include <QTest>
#include <QToolButton>
#include <sys/resource.h>
#include <unistd.h>

using namespace kb;
using namespace kb::test;

namespace {

QStringList allFiles() {
    return {kKanaFile, kExclusionFile, kSettingsFile, kHistoryFile};
}

QByteArray record(int ok, int ng, int chars, int score) {
    return "\"2009/06/21\",\"21:07:45\",\"" + encodeCp932(u"１") + "\"," + QByteArray::number(ok) +
           ',' + QByteArray::number(ng) + ',' + QByteArray::number(chars) + ',' +
           QByteArray::number(score) + ",\"50.0%\",\"0.10/" + encodeCp932(u"秒") + "\",\"60" +
           encodeCp932(u"秒") + "\"\r\n";
}

QMap<QString, QByteArray> snapshot() {
    QMap<QString, QByteArray> files;
    for (const QString& name : allFiles())
        if (QFileInfo(name).isFile() && !QFileInfo(name).isSymLink()) files[name] = readBytes(name);
    return files;
}

// As root no permission stops a write. A directory in the file's place fails at
// open; a link to a full device fails at the first byte; a file size limit lets
// a write into a regular file stop partway, as a disk that fills up does.
enum class Fault { AtOpen, DeviceFull, DiskFillsUp };

bool breakFile(const QString& name, Fault fault) {
    if (fault == Fault::DiskFillsUp) return true;
    QFile::remove(name);
    if (fault == Fault::AtOpen) return QDir().mkdir(name);
    return ::symlink("/dev/full", QFile::encodeName(name).constData()) == 0;
}

bool stillBroken(const QString& name, Fault fault, const QByteArray& before) {
    const QFileInfo info(name);
    switch (fault) {
    case Fault::AtOpen:
        return info.isDir();
    case Fault::DeviceFull:
        return info.isSymLink() && info.symLinkTarget() == QLatin1String("/dev/full");
    case Fault::DiskFillsUp:
        return info.isFile() && readBytes(name) == before;
    }
    return false;
}

// Names in the working directory other than the four files: a temporary file
// left behind by a failed rewrite, say.
QStringList strayFiles() {
    QStringList names =
        QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : allFiles())
        names.removeAll(name);
    return names;
}

void restoreFile(const QString& name, const QByteArray& bytes) {
    if (QFileInfo(name).isDir() && !QFileInfo(name).isSymLink())
        QDir().rmdir(name);
    else
        QFile::remove(name);
    writeBytes(name, bytes);
}

// The grid holds one row per record of "履歴.txt", numbered from 1, with the
// items read here straight from the file.
void verifyGridMatchesFile(const MainWindow& w) {
    SequentialFile file;
    file.openRead(kHistoryFile);
    int row = 0;
    while (!file.atEnd()) {
        ++row;
        QVERIFY2(row < msgRireki(w)->rows(), "the file holds more records than the grid rows");
        QCOMPARE(msgRireki(w)->textAt(row, 0), QString::number(row));
        for (int c = 1; c <= 10; ++c) {
            const QString item =
                c >= 4 && c <= 7 ? QString::number(file.readInt16()) : file.readString();
            QCOMPARE(msgRireki(w)->textAt(row, c), item);
        }
    }
    QCOMPARE(msgRireki(w)->rows(), row + 1);
}

// Deterministic noise, the same on every machine.
QByteArray garbage(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

enum class Write { Exclusion, Save, AutoSave, Clear, AutoSaveToggle, RoundLengthPick };
enum class Outcome { Starts, Fails };

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Write)
Q_DECLARE_METATYPE(Outcome)

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void failedWriteIsReportedAndChangesNothingElse_data() {
        QTest::addColumn<Write>("write");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("target");
        const struct {
            const char* name;
            Write write;
            QString target;
        } writes[] = {{"exclusion append", Write::Exclusion, kExclusionFile},
                      {"save", Write::Save, kHistoryFile},
                      {"auto-save", Write::AutoSave, kHistoryFile},
                      {"clear", Write::Clear, kHistoryFile},
                      {"auto-save toggle", Write::AutoSaveToggle, kSettingsFile},
                      {"round length pick", Write::RoundLengthPick, kSettingsFile}};
        // One fault per handler: how each kind of fault leaves the file is
        // test_sequential_file's table of modes and faults.
        for (const auto& w : writes)
            QTest::addRow("%s, open fails", w.name) << w.write << Fault::AtOpen << w.target;
    }
    void failedWriteIsReportedAndChangesNothingElse() {
        QFETCH(Write, write);
        QFETCH(Fault, fault);
        QFETCH(QString, target);
        const QByteArray history = record(1, 1, 2, 0) + record(3, 0, 9, 6);
        WindowFixture f(QStringLiteral("あ\r\n"),
                        write == Write::AutoSave ? "10,1\r\n" : "60,0\r\n",
                        QStringLiteral("ん\r\n"), history);
        MainWindow& w = f.load();
        startRound(w);
        answer(w, QStringLiteral("あさ"));
        if (write != Write::AutoSave) runOut(w, f.clock); // the save declines while a round runs

        const QMap<QString, QByteArray> before = snapshot();
        const DrillState state = w.state();
        const int rows = msgRireki(w)->rows();
        const auto act = [&] {
            switch (write) {
            case Write::Exclusion:
                answer(w, QStringLiteral("あ"));
                break;
            case Write::Save:
                cmdHozon(w)->click();
                break;
            case Write::AutoSave:
                if (w.state().roundRunning)
                    runOut(w, f.clock);
                else
                    cmdHozon(w)->click(); // the retry saves the same round by hand
                break;
            case Write::Clear:
                cmdClear(w)->click();
                break;
            case Write::AutoSaveToggle:
                chkAs(w)->click();
                break;
            case Write::RoundLengthPick:
                pickRoundLength(w, w.state().timeLimitSeconds == 90 ? QStringLiteral("120")
                                                                    : QStringLiteral("90"));
                break;
            }
        };
        const qsizetype shownBefore = f.messages.shown.size();
        QVERIFY(breakFile(target, fault));
        act();

        // Reported once, naming the file; the program goes on.
        QVERIFY(w.isVisible());
        const qsizetype extra = write == Write::Clear ? 2 : 1; // the clear asks first
        QCOMPARE(f.messages.shown.size(), shownBefore + extra);
        const ShownMessage& m = f.messages.shown.last();
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QVERIFY2(m.text.contains(target), qPrintable(m.text));
        if (write == Write::AutoSave)
            QVERIFY2(m.text.contains(QStringLiteral("自動保存")), qPrintable(m.text));
        // A settings choice stays in force, and the player learns it is not remembered.
        if (target == kSettingsFile)
            QVERIFY2(m.text.contains(QStringLiteral("次に起動したときには元の設定に戻ります")),
                     qPrintable(m.text));
        QVERIFY2(stillBroken(target, fault, before.value(target)),
                 "the file was changed or replaced");
        for (auto it = before.begin(); it != before.end(); ++it)
            if (it.key() != target)
                QVERIFY2(readBytes(it.key()) == it.value(), qPrintable(it.key() + " changed"));
        QCOMPARE(strayFiles(), QStringList());

        // All or nothing: what the failed write was for did not happen either.
        switch (write) {
        case Write::Exclusion:
            QCOMPARE(w.state().typedChars, state.typedChars);
            QCOMPARE(w.state().currentQuestion, state.currentQuestion);
            break;
        case Write::Save:
        case Write::Clear:
            QCOMPARE(msgRireki(w)->rows(), rows);
            break;
        case Write::AutoSave:
            QCOMPARE(msgRireki(w)->rows(), rows);
            QVERIFY(!w.state().roundRunning); // the round ended all the same
            QVERIFY(cmdStart(w)->isEnabled());
            QVERIFY(!lblRitu(w)->text().isEmpty());
            break;
        case Write::AutoSaveToggle:
        case Write::RoundLengthPick:
            // The file keeps the old values; the window agrees with the drill state.
            QCOMPARE(chkAs(w)->value(), int(w.state().autoSave));
            QCOMPARE(cboJikan(w)->currentText(), QString::number(w.state().timeLimitSeconds));
            break;
        }

        // Once the file can be written again, the same action goes through and the
        // window and the files agree.
        restoreFile(target, before.value(target));
        verifyGridMatchesFile(w);
        if (QTest::currentTestFailed()) return;
        const qsizetype shownAfterFault = f.messages.shown.size();
        act();
        QCOMPARE(f.messages.shown.size(), shownAfterFault + (write == Write::Clear ? 2 : 0));
        switch (write) {
        case Write::Exclusion:
            QCOMPARE(readBytes(kExclusionFile),
                     before.value(kExclusionFile) + encodeCp932(u"あ\r\n"));
            QCOMPARE(int(w.state().typedChars), state.typedChars + 1);
            break;
        case Write::Save:
        case Write::AutoSave:
            QCOMPARE(msgRireki(w)->rows(), rows + 1);
            break;
        case Write::Clear:
            QCOMPARE(readBytes(kHistoryFile), QByteArray());
            break;
        case Write::AutoSaveToggle:
        case Write::RoundLengthPick: {
            const Settings s = loadSettings();
            QCOMPARE(s.timeLimitSeconds, w.state().timeLimitSeconds);
            QCOMPARE(s.autoSave, w.state().autoSave);
            QCOMPARE(chkAs(w)->value(), int(s.autoSave));
            QCOMPARE(cboJikan(w)->currentText(), QString::number(s.timeLimitSeconds));
            break;
        }
        }
        verifyGridMatchesFile(w);
    }

    void clearIntoAFullDeviceEmptiesTheTable() {
        // Emptying needs no room, so this clear succeeds; the table must follow.
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, record(1, 0, 1, 1));
        MainWindow& w = f.load();
        QVERIFY(breakFile(kHistoryFile, Fault::DeviceFull));
        cmdClear(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 1);
        QCOMPARE(f.messages.shown.size(), 2);
        QCOMPARE(f.messages.shown[1].title, QStringLiteral("クリア終了"));
    }

    void damagedFileAtStartup_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // "<dir>" and "<endless>" stand for those
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("says"); // part of the message on failure
        const QByteArray noise = garbage(10 * 1000 * 1000);
        const QByteArray cutKana = encodeCp932(u"あ\r\nい").chopped(1);
        const QByteArray badBytes("\x81,\xFF\r\n\x82\xA0\xFD\r\n", 9);
        const QString unreadable = QStringLiteral("読み込めません");
        const QString notShiftJis = QStringLiteral("Shift_JIS");
        const QString shortFile = QStringLiteral("途中で終わって");
        // Missing files, an empty settings file and a history directory: test_startup.
        // Other encodings and the end-of-file byte: test_player_edits.
        for (const QString& list : {kKanaFile, kExclusionFile}) {
            const QByteArray n = list.toUtf8();
            QTest::addRow("%s empty", n.data())
                << list << QByteArray() << Outcome::Starts << QString();
            QTest::addRow("%s cut inside a character", n.data())
                << list << cutKana << Outcome::Fails << notShiftJis;
            QTest::addRow("%s quote never closed", n.data())
                << list << encodeCp932(u"あ\r\n\"い,う") << Outcome::Starts << QString();
            QTest::addRow("%s invalid bytes", n.data())
                << list << badBytes << Outcome::Fails << notShiftJis;
            QTest::addRow("%s 10 MB of noise", n.data())
                << list << noise << Outcome::Fails << notShiftJis;
            QTest::addRow("%s a directory", n.data())
                << list << QByteArray("<dir>") << Outcome::Fails << unreadable;
            QTest::addRow("%s endless", n.data())
                << list << QByteArray("<endless>") << Outcome::Fails << unreadable;
        }
        QTest::newRow("settings cut after the comma")
            << kSettingsFile << QByteArray("60,") << Outcome::Fails << shortFile;
        QTest::newRow("settings invalid bytes")
            << kSettingsFile << QByteArray("\x81\xFF,1\r\n") << Outcome::Fails << notShiftJis;
        QTest::newRow("settings 10 MB of noise")
            << kSettingsFile << noise << Outcome::Fails << QString();
        QTest::newRow("settings a directory")
            << kSettingsFile << QByteArray("<dir>") << Outcome::Fails << unreadable;
        QTest::newRow("settings endless")
            << kSettingsFile << QByteArray("<endless>") << Outcome::Fails << unreadable;
        const QByteArray two = record(1, 0, 1, 1) + record(2, 1, 5, 3);
        QTest::newRow("history empty")
            << kHistoryFile << QByteArray() << Outcome::Starts << QString();
        QTest::newRow("history cut inside a record")
            << kHistoryFile << two.left(two.size() - 20) << Outcome::Fails << shortFile;
        QTest::newRow("history cut inside a character")
            << kHistoryFile << two.chopped(4) << Outcome::Fails << notShiftJis;
        QTest::newRow("history invalid bytes")
            << kHistoryFile
            << QByteArray("\"\x81\",\"\xFF\",\"\xA0\",1,2,3,4,\"\x82\",\"\xFD\",\"\"\r\n", 32)
            << Outcome::Fails << notShiftJis;
        QTest::newRow("history 10 MB of noise")
            << kHistoryFile << noise << Outcome::Fails << notShiftJis;
        QTest::newRow("history endless")
            << kHistoryFile << QByteArray("<endless>") << Outcome::Fails << unreadable;
    }
    void damagedFileAtStartup() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(Outcome, outcome);
        QFETCH(QString, says);
        WindowFixture f;
        QVERIFY(replaceFile(file, content)); // an endless file must meet the reader's size limit
        const QMap<QString, QByteArray> before = snapshot();

        MainWindow& w = f.make();
        const bool started = w.Form_Load();
        for (auto it = before.begin(); it != before.end(); ++it)
            QVERIFY2(readBytes(it.key()) == it.value(),
                     qPrintable(it.key() + " changed at start-up"));
        QCOMPARE(started, outcome == Outcome::Starts);
        if (started) {
            QVERIFY(f.messages.shown.isEmpty());
            verifyGridMatchesFile(w);
            // What was read is what a second reading gives.
            if (file == kKanaFile || file == kExclusionFile) {
                const QStringList table = loadList(file, kExclusionCapacity);
                QCOMPARE(file == kKanaFile ? w.state().kanaTable : w.state().excludedWords, table);
            }
            return;
        }
        QCOMPARE(f.messages.shown.size(), 1);
        const ShownMessage& m = f.messages.shown[0];
        QCOMPARE(m.title, QStringLiteral("コトバル"));
        QCOMPARE(m.icon, MessageBoxes::Icon::Critical);
        QVERIFY2(m.text.contains(file), qPrintable(m.text));
        QVERIFY2(m.text.contains(says), qPrintable(m.text));
    }

    void historyCellsHoldTheirItemsWhateverTheBytes() {
        // Found by fuzzing: a control character in an item must not shift the columns.
        const QByteArray row =
            "\"2009\x1f/06/21\",\"21:07:45\",\"\x1f\",1,0,1,1,\"a\x1f\x1f\",\"b\",\"\x1f\"\r\n";
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, row + record(2, 0, 2, 2));
        MainWindow& w = f.load();
        verifyGridMatchesFile(w);
        QCOMPARE(msgRireki(w)->textAt(1, 3), QStringLiteral("\x1f"));
        QCOMPARE(msgRireki(w)->textAt(2, 4), QStringLiteral("2"));
    }

    void excludedEntriesComeBackAsTheyWere_data() {
        QTest::addColumn<QString>("entry");
        // Found by fuzzing: quoting these loses what follows the quote; bare they read back.
        QTest::newRow("leading tab and a quote") << QStringLiteral("\tあ\"い");
        QTest::newRow("leading full-width space and a quote") << QStringLiteral("　あ\"");
    }
    void excludedEntriesComeBackAsTheyWere() {
        QFETCH(QString, entry);
        WindowFixture f(entry + QStringLiteral("\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        startRound(w);
        QCOMPARE(lblMondai(w)->text(), entry);
        answer(w, entry);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(loadList(kExclusionFile, kExclusionCapacity), QStringList{entry});
    }

    void wordsOf40000Characters_data() {
        QTest::addColumn<QString>("kana");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("counted");
        const QString huge(40000, QChar(u'ぬ'));
        QTest::newRow("rejected word") << QStringLiteral("あ") << huge << true;
        // The exact answer's length overflows the character count: nothing is appended.
        QTest::newRow("exact question of 40000 characters") << huge << huge << false;
    }
    void wordsOf40000Characters() {
        QFETCH(QString, kana);
        QFETCH(QString, word);
        QFETCH(bool, counted);
        WindowFixture f(kana + QStringLiteral("\r\n"), "60,0\r\n");
        MainWindow& w = f.load();
        startRound(w);
        QCOMPARE(lblMondai(w)->text(), kana);
        answer(w, word);
        QCOMPARE(readBytes(kExclusionFile), QByteArray());
        if (counted) {
            QVERIFY(f.messages.shown.isEmpty());
            QCOMPARE(int(w.state().ngCount), 1);
            QCOMPARE(lstRireki(w)->count(), 1);
        } else {
            QCOMPARE(f.messages.shown.size(), 1);
            QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("範囲")));
            QCOMPARE(int(w.state().typedChars), 0);
            QCOMPARE(lstRireki(w)->count(), 0);
            answer(w, QStringLiteral("x")); // play goes on
            QCOMPARE(int(w.state().ngCount), 1);
        }
        runOut(w, f.clock);
        cmdHozon(w)->click();
        QCOMPARE(msgRireki(w)->rows(), 2);
        verifyGridMatchesFile(w);
    }

    void exclusionsAppendedUpTo5000StillLoad() {
        // The program's own appends must never make the list too long to start.
        QString list;
        for (int i = 0; i < 4999; ++i)
            list += QStringLiteral("ん\r\n");
        WindowFixture f(QStringLiteral("あ\r\nい\r\n"), "60,0\r\n", list);
        MainWindow& w = f.load();
        QSet<QString> tried;
        for (int guard = 0; tried.size() < 2 && guard < 200; ++guard) {
            const QString q = w.state().currentQuestion;
            if (q.isEmpty() || tried.contains(q)) {
                f.clock.tod += 0.37;
                answer(w, QStringLiteral("ぬ"));
                continue;
            }
            tried.insert(q);
            answer(w, q);
            f.clock.tod += 0.37; // questions are drawn from the time of day
        }
        QCOMPARE(tried.size(), 2);
        QCOMPARE(f.messages.shown.size(), 1); // the second one: the list is full
        QVERIFY(f.messages.shown[0].text.contains(QStringLiteral("5000")));

        const QByteArray appended = readBytes(kExclusionFile);
        QCOMPARE(appended.count('\n'), 5000);
        WindowFixture again(QStringLiteral("あ\r\nい\r\n"), "60,0\r\n");
        writeBytes(kExclusionFile, appended);
        MainWindow& w2 = again.load();
        QCOMPARE(int(w2.state().excludedCount), 5000);
    }

    void historySavedUpTo32767RecordsStillStarts() {
        QByteArray history;
        const QByteArray one = record(1, 0, 2, 1);
        history.reserve(one.size() * 32767);
        for (int i = 0; i < 32766; ++i)
            history += one;
        WindowFixture f(QStringLiteral("あ\r\n"), "60,0\r\n", {}, history);
        MainWindow& w = f.load();
        QCOMPARE(msgRireki(w)->rows(), 32767);
        answer(w, QStringLiteral("あさ"));
        cmdHozon(w)->click();
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(msgRireki(w)->rows(), 32768);
        QCOMPARE(msgRireki(w)->textAt(32767, 0), QStringLiteral("32767"));

        // The next start loads what this one wrote, and can save once more.
        WindowFixture again(QStringLiteral("あ\r\n"), "60,0\r\n", {},
                            readBytes(f.dir.path() + QLatin1Char('/') + kHistoryFile));
        MainWindow& w2 = again.load();
        verifyGridMatchesFile(w2);
        answer(w2, QStringLiteral("あさ"));
        cmdHozon(w2)->click();
        QCOMPARE(msgRireki(w2)->rows(), 32769);
        QVERIFY(again.messages.shown.isEmpty());
    }

    void stressRoundsKeepGridAndFileInStep() {
        WindowFixture f(QStringLiteral("あ\r\nい\r\nう\r\n"), "10,1\r\n", {}, record(1, 1, 1, 0));
        MainWindow& w = f.load();
        int saves = 1, answers = 0;
        for (int round = 0; round < 300; ++round) {
            startRound(w);
            int logged = 0;
            for (int i = 0; i < 12; ++i, ++answers) {
                const QString q = w.state().currentQuestion;
                const QString words[] = {q + QStringLiteral("さ"), QStringLiteral("か") + q,
                                         QStringLiteral("か") + q + QStringLiteral("さ"),
                                         QStringLiteral("ぬ"), q};
                const QString& word = words[(round + i) % 5];
                f.clock.tod += 0.37;
                answer(w, word);
                logged += word == q ? 0 : 1;
            }
            QCOMPARE(lstRireki(w)->count(), logged); // the log starts empty each round
            // Every seventh round the history cannot be written, each fault in turn;
            // that round's auto-save is lost and the file stays as it was.
            const QByteArray kept = readBytes(kHistoryFile);
            if (round % 7 == 3) {
                const Fault fault = Fault(round / 7 % 3);
                QVERIFY(breakFile(kHistoryFile, fault));
                {
                    FileSizeLimit limit(fault == Fault::DiskFillsUp ? rlim_t(kept.size()) + 1
                                                                    : RLIM_INFINITY);
                    runOut(w, f.clock);
                }
                QVERIFY(stillBroken(kHistoryFile, fault, kept));
                restoreFile(kHistoryFile, kept);
            } else {
                runOut(w, f.clock);
                ++saves;
            }
            if (round % 3 == 0) {
                cmdHozon(w)->click();
                ++saves;
            }
            QCOMPARE(msgRireki(w)->rows(), saves + 1);
            QCoreApplication::processEvents();
        }
        QVERIFY(answers >= 3000);
        QCOMPARE(f.messages.shown.size(), 300 / 7 + (300 % 7 > 3 ? 1 : 0));
        verifyGridMatchesFile(w);

        // The next start shows the same table.
        WindowFixture again(QStringLiteral("あ\r\n"), "60,0\r\n", {},
                            readBytes(f.dir.path() + QLatin1Char('/') + kHistoryFile));
        MainWindow& w2 = again.load();
        QCOMPARE(msgRireki(w2)->rows(), msgRireki(w)->rows());
        for (int r = 1; r < msgRireki(w)->rows(); ++r)
            for (int c = 0; c <= 10; ++c)
                QCOMPARE(msgRireki(w2)->textAt(r, c), msgRireki(w)->textAt(r, c));
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
