#include "main_window.h"

#include "answer_box.h"
#include "controls.h"
#include "core/clock.h"
#include "core/error.h"
#include "core/int16.h"
#include "core/text_format.h"
#include "drill/answer_judge.h"
#include "drill/round_control.h"
#include "files/cp932.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/settings.h"
#include "help_viewer.h"
#include "history_grid.h"
#include "layout_units.h"
#include "message_boxes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace kb {
namespace {

const QString kCaption = QStringLiteral("コトバル");

} // namespace

MainWindow::MainWindow(const Collaborators& c, QWidget* parent)
    : QWidget(parent), clock_(c.clock), random_(c.random), messages_(c.messages), help_(c.help) {
    buildLayout();
    wireEvents();
    // Both timers tick from the window's creation; the flags decide whether a tick does anything.
    tmrStart.setInterval(1000);
    tmrBp.setInterval(1000);
    tmrStart.start();
    tmrBp.start();
}

MainWindow::~MainWindow() = default;

void MainWindow::wireEvents() {
    connect(&tmrStart, &QTimer::timeout, this, &MainWindow::tmrStart_Timer);
    connect(&tmrBp, &QTimer::timeout, this, &MainWindow::tmrBp_Timer);
    connect(cmdStart, &QToolButton::clicked, this, &MainWindow::cmdStart_Click);
    connect(cmdHozon, &QToolButton::clicked, this, &MainWindow::cmdHozon_Click);
    connect(cmdClear, &QToolButton::clicked, this, &MainWindow::cmdClear_Click);
    connect(cmdHelp, &QToolButton::clicked, this, &MainWindow::cmdHelp_Click);
    connect(cmdEnd, &QToolButton::clicked, this, &MainWindow::cmdEnd_Click);
    connect(cboJikan, &PickComboBox::picked, this, &MainWindow::cboJikan_Click);
    connect(chkAs, &PictureToggle::changed, this, &MainWindow::chkAs_Click);
    connect(fraRireki, &ClickFrame::clicked, this, &MainWindow::fraRireki_Click);
    txtKaitou->onKeyPress = [this](std::int16_t& keyAscii) { txtKaitou_KeyPress(keyAscii); };
}

void MainWindow::showError(const Error& error) {
    messages_.show(this, error.message(), kCaption, MessageBoxes::Buttons::Ok,
                   MessageBoxes::Icon::Critical);
}

void MainWindow::guarded(const std::function<void()>& body) {
    try {
        body();
    } catch (const Error& e) {
        showError(e);
    }
}

bool MainWindow::Form_Load() {
    try {
        state_.helpFilePath = QStringLiteral("KbHelp.chm");
        SetupHistoryGrid();
        loadHistory();
        state_.barFullWidth = toInt16(twipsOf(shpJikanK->width()));
        txtKaitou->setAnswer(QString());
        for (QLabel* l : {lblMondai, lblOk, lblNg, lblMoji_T, lblByou, lblRitu})
            l->setText(QString());
        for (QLabel* l : lblTen)
            l->setText(QString());
        show();
        QCoreApplication::processEvents();

        const Settings settings = loadSettings();
        state_.timeLimitSeconds = settings.timeLimitSeconds;
        state_.autoSave = settings.autoSave;
        // Runs chkAs_Click when it changes the state; a store that fails is
        // reported there and does not stop the start.
        chkAs->setValue(settings.autoSave);
        QStringList lengths;
        for (int i = 10; i <= 180; i += 10)
            lengths << QString::number(i);
        cboJikan->addItems(lengths);
        cboJikan->setCurrentIndex(cboJikan->findText(QString::number(state_.timeLimitSeconds)));
        cboJikan->setEditText(QString::number(state_.timeLimitSeconds));
        cboSet->addItems({QStringLiteral("１文字"), QStringLiteral("２文字")});
        cboSet->setCurrentIndex(0);
        cboSet->setEditText(QStringLiteral("１文字"));

        state_.kanaCount = loadList(kKanaFile, state_.kanaTable, kKanaCapacity);
        state_.excludedCount = loadList(kExclusionFile, state_.excludedWords, kExclusionCapacity);
        questions_.prepare(state_);
    } catch (const Error& e) {
        showError(e);
        return false;
    }
    loaded_ = true;
    return true;
}

void MainWindow::SetupHistoryGrid() {
    static const struct {
        const char16_t* header;
        int width;
    } columns[] = {{u"回", 600},     {u"日付", 1400},    {u"時間", 1000}, {u"モ", 340},
                   {u"ＯＫ", 565},   {u"ＮＧ", 565},     {u"文字", 700},  {u"得点", 600},
                   {u"正解率", 870}, {u"秒当たり", 980}, {u"表示", 800}};
    msgRireki->setFontSize(11);
    msgRireki->setRows(1);
    msgRireki->setRow(0);
    for (int c = 0; c <= 10; ++c) {
        msgRireki->setCol(c);
        msgRireki->setText(QString::fromUtf16(columns[c].header));
        msgRireki->setColWidth(c, columns[c].width);
    }
    for (int c = 0; c <= 10; ++c)
        msgRireki->setHeaderAlignment(c, Qt::AlignCenter);
    msgRireki->setDataAlignment(0, Qt::AlignCenter);
    for (int c = 1; c <= 9; ++c)
        msgRireki->setDataAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    msgRireki->setDataAlignment(1, Qt::AlignCenter);
    msgRireki->setDataAlignment(2, Qt::AlignCenter);
}

void MainWindow::loadHistory() {
    msgRireki->model().resetRows(loadHistoryRows(kHistoryFile));
    if (msgRireki->rows() > 7) msgRireki->setTopRow(msgRireki->rows() - 1);
}

void MainWindow::NextQuestion() {
    const QuestionGenerator::Environment env{random_, [this] { return clock_.timeOfDay(); },
                                             [this] { return cboSet->currentText(); }};
    const std::optional<QString> question = questions_.next(state_, env);
    state_.currentQuestion = question.value_or(QString());
    lblMondai->setText(state_.currentQuestion);
    txtKaitou->setAnswer(QString());
    txtKaitou->setFocus();
    if (!question)
        messages_.show(
            this,
            QStringLiteral("出題できる問題がありません。\n"
                           "「%1」がこのモードのすべての問題を除外しています。"
                           "モードを変えるか、「%1」から行を消してから起動し直してください。")
                .arg(kExclusionFile),
            kCaption, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
}

void MainWindow::txtKaitou_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii != 13) return;
    const QString word = txtKaitou->text();
    if (word.isEmpty()) return;
    KeyAscii = 0;
    // All or nothing: the new counters are formed, and the file written, before
    // anything is stored, so a failure leaves the round as it was.
    guarded([&] {
        const QString question = state_.currentQuestion;
        const Verdict verdict = judge(question, word);
        const RoundCounters counted = countedAfter(state_, verdict, word.size());
        if (verdict == Verdict::Exact) {
            bool listFull = false;
            if (!questions_.excluded(question) && !appendedExclusions_.contains(question)) {
                if (state_.excludedCount + appendedExclusions_.size() >= kExclusionCapacity) {
                    listFull = true;
                } else {
                    appendExclusion(question);
                    appendedExclusions_.insert(question);
                }
            }
            static_cast<RoundCounters&>(state_) = counted;
            if (listFull)
                messages_.show(
                    this,
                    QStringLiteral(
                        "「%1」には %2 個までしか登録できないため、この問題は除外されません。")
                        .arg(kExclusionFile)
                        .arg(kExclusionCapacity),
                    kCaption, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Information);
            NextQuestion();
            return;
        }
        static_cast<RoundCounters&>(state_) = counted;
        if (verdict == Verdict::Rejected) {
            lblNg->setText(QString::number(state_.ngCount));
            txtKaitou->setAnswer(QString());
        } else {
            lblOk->setText(QString::number(state_.okCount));
        }
        for (int i = 0; i < 3; ++i)
            lblTen[static_cast<size_t>(i)]->setText(
                QString::number(state_.matchCounts[static_cast<size_t>(i)]));
        lblTen[3]->setText(QString::number(state_.score));
        auto* line =
            new QListWidgetItem(question + QStringLiteral(" _ ") + txtKaitou->text(), lstRireki);
        // Measured once here: the list lays out all its lines whenever one is
        // added, and measuring every line again each time made an answer cost
        // more the longer the round went on.
        line->setSizeHint(lstRireki->sizeHintForIndex(lstRireki->indexFromItem(line)));
        lstRireki->scrollToBottom();
        NextQuestion();
    });
}

void MainWindow::cmdStart_Click() {
    guarded([this] {
        state_.typedChars = 0;
        txtKaitou->setAnswer(QString());
        lblMondai->setText(QString());
        state_.countdownActive = true;
        setShapeWidth(shpJikanK, state_.barFullWidth);
        lstRireki->clear();
        fraRireki->setVisible(true);
        for (QLabel* l : {lblOk, lblNg, lblMoji_T, lblByou, lblRitu})
            l->setText(QString());
        for (size_t i = 0; i < 4; ++i) {
            state_.matchCounts[i] = 0;
            lblTen[i]->setText(QStringLiteral("0"));
        }
        state_.okCount = 0;
        state_.ngCount = 0;
        lblOk->setText(QString::number(state_.okCount));
        lblNg->setText(QString::number(state_.ngCount));
        state_.score = 0;
        cmdStart->setEnabled(false);
    });
}

void MainWindow::tmrStart_Timer() {
    guarded([this] {
        if (!state_.countdownActive) {
            state_.countdownStep = 0;
            return;
        }
        for (int i = 1; i <= 3; ++i)
            imgStart[static_cast<size_t>(i)]->setVisible(false);
        state_.countdownStep = addInt16(state_.countdownStep, 1);
        if (state_.countdownStep < 1 || state_.countdownStep > 3)
            throw Error(Error::Kind::IndexOutOfRange, QStringLiteral("imgStart"));
        imgStart[static_cast<size_t>(state_.countdownStep)]->setVisible(true);
        if (state_.countdownStep == 3) {
            state_.countdownActive = false;
            NextQuestion();
            state_.clockSeconds = clock_.wholeSeconds();
            state_.roundEndTime = state_.clockSeconds + state_.timeLimitSeconds;
            state_.roundRunning = true;
        }
    });
}

void MainWindow::tmrBp_Timer() {
    if (!state_.roundRunning) return;
    bool ended = false;
    guarded([&] {
        state_.clockSeconds = clock_.wholeSeconds();
        state_.remainingSeconds =
            toInt16(static_cast<long long>(state_.roundEndTime) - state_.clockSeconds);
        setShapeWidth(shpJikanK, barWidth(state_.remainingSeconds, state_.timeLimitSeconds,
                                          state_.barFullWidth));
        if (state_.remainingSeconds >= 1) return;
        state_.roundRunning = false;
        cmdStart->setEnabled(true);
        ended = true;
    });
    if (!ended) return;
    // From here on each step runs even when the one before it failed.
    const auto step = [](const std::function<void()>& body) {
        try {
            body();
        } catch (const Error&) {
        }
    };
    step([this] { lblByou->setText(speedText(state_.typedChars, state_.timeLimitSeconds)); });
    step([this] { lblRitu->setText(rateText(state_.okCount, state_.ngCount)); });
    step([this] { lblMoji_T->setText(QString::number(state_.typedChars)); });
    if (state_.autoSave == 1) {
        try {
            saveHistory();
        } catch (const Error& e) {
            messages_.show(
                this,
                QStringLiteral("自動保存に失敗しました。この回の結果は履歴に残っていません。\n") +
                    e.message(),
                kCaption, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
        }
    }
}

void MainWindow::setShapeWidth(Shape* shape, int twips) {
    shape->resize(px(std::max(0, twips)), shape->height());
}

void MainWindow::saveHistory() {
    if ((state_.okCount == 0 && state_.ngCount == 0) || state_.roundRunning ||
        state_.countdownActive)
        return;
    // The ten items are formed once, so the row and the record cannot differ,
    // and hold only what the file can carry back.
    const QDateTime now = clock_.localNow();
    QString set = cboSet->currentText().left(1);
    set.replace(QLatin1Char('"'), QStringLiteral("”"));
    HistoryRecord record;
    record.date = formatDate(now.date());
    record.time = formatTime(now.time());
    record.set = roundTripCp932(set);
    record.okCount = state_.okCount;
    record.ngCount = state_.ngCount;
    record.typedChars = state_.typedChars;
    record.score = state_.score;
    record.rate =
        formatRate(static_cast<double>(state_.okCount) / addInt16(state_.okCount, state_.ngCount));
    record.speed = speedText(state_.typedChars, state_.timeLimitSeconds);
    record.length = QString::number(state_.timeLimitSeconds) + QStringLiteral("秒");
    appendHistory(kHistoryFile, record);

    // Only a record that reached the file becomes a row.
    const int r = msgRireki->rows();
    std::array<QString, HistoryModel::kColumns> cells;
    cells[0] = QString::number(r);
    const std::array<QString, 10> items = record.cells();
    std::copy(items.begin(), items.end(), cells.begin() + 1);
    msgRireki->model().appendRow(cells);
    if (msgRireki->rows() > 7) msgRireki->setTopRow(msgRireki->rows() - 1);
}

void MainWindow::cmdHozon_Click() {
    guarded([this] { saveHistory(); });
}

void MainWindow::cmdClear_Click() {
    guarded([this] {
        if (messages_.show(this, QStringLiteral("履歴データをクリアします。よろしいですか？"),
                           QStringLiteral("クリア確認"), MessageBoxes::Buttons::OkCancel,
                           MessageBoxes::Icon::Warning) != MessageBoxes::Answer::Ok)
            return;
        clearHistory(kHistoryFile);
        msgRireki->setRows(1);
        messages_.show(this, QStringLiteral("履歴データをクリアしました"),
                       QStringLiteral("クリア終了"), MessageBoxes::Buttons::Ok,
                       MessageBoxes::Icon::Information);
    });
}

void MainWindow::writeSettings() {
    try {
        saveSettings({state_.timeLimitSeconds, state_.autoSave});
    } catch (const Error& e) {
        // The value stays in force: say so, and that the file still holds the old one.
        const QString consequence =
            loaded_ ? QStringLiteral("新しい設定はゲームを終えるまで使われますが、"
                                     "次に起動したときには元の設定に戻ります。")
                    : QStringLiteral("読み込んだ設定のままゲームを続けます。");
        messages_.show(this, e.message() + QLatin1Char('\n') + consequence, kCaption,
                       MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
    }
}

void MainWindow::cboJikan_Click() {
    guarded([this] {
        // The leading digits of the chosen item.
        const QString text = cboJikan->currentText().trimmed();
        qsizetype n = 0;
        while (n < text.size() && text[n].isDigit() && text[n].unicode() < 0x80)
            ++n;
        state_.timeLimitSeconds =
            toInt16(n == 0 ? 0 : text.left(std::min<qsizetype>(n, 6)).toLongLong(), kSettingsFile);
        writeSettings();
    });
}

void MainWindow::chkAs_Click() {
    guarded([this] {
        state_.autoSave = toInt16(chkAs->value());
        writeSettings();
    });
}

void MainWindow::cmdHelp_Click() {
    help_.displayTopic(this, state_.helpFilePath);
}

void MainWindow::cmdEnd_Click() {
    help_.closeAll(this, state_.helpFilePath);
    tmrStart.stop();
    tmrBp.stop();
    hide();
    QCoreApplication::exit(0);
}

void MainWindow::fraRireki_Click() {
    fraRireki->setVisible(false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    help_.closeAll(this, state_.helpFilePath);
    tmrStart.stop();
    tmrBp.stop();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace kb
