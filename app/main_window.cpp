#include "main_window.h"

#include "answer_box.h"
#include "application.h"
#include "controls.h"
#include "core/clock.h"
#include "core/int16.h"
#include "drill/round_control.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/settings.h"
#include "help_viewer.h"
#include "history_grid.h"
#include "layout_units.h"
#include "message_boxes.h"
#include "progress_chart.h"
#include "window_texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

namespace kb {

using texts::kCaption;

MainWindow::MainWindow(const Collaborators& c, QWidget* parent)
    : QWidget(parent), clock_(c.clock), random_(c.random), messages_(c.messages), help_(c.help),
      chart_(std::make_unique<ProgressChart>(c.chartModule)) {
    buildLayout(c.inputMethod);
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
    msgRireki->onContextMenu = [this](QPoint at) { msgRireki_ContextMenu(at); };
}

void MainWindow::inform(const QString& text, MessageBoxes::Icon icon) {
    messages_.show(this, text, kCaption, MessageBoxes::Buttons::Ok, icon);
}

void MainWindow::showError(const Error& error) {
    inform(error.message(), MessageBoxes::Icon::Critical);
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
        removeWriteLeftovers();
        helpFilePath_ = QStringLiteral("KbHelp.chm");
        SetupHistoryGrid();
        msgRireki->loadFile(kHistoryFile);
        barFullWidth_ = toInt16(twipsOf(shpJikanK->width()));
        txtKaitou->setAnswer(QString());
        for (QLabel* l : {lblMondai, lblOk, lblNg, lblMoji_T, lblByou, lblRitu})
            l->setText(QString());
        for (QLabel* l : lblTen)
            l->setText(QString());
        show();
        QCoreApplication::processEvents();

        const Settings settings = loadSettings();
        round_.setTimeLimit(settings.timeLimitSeconds);
        round_.setAutoSave(settings.autoSave);
        // Setting the switch runs its handler when the state changes, as a click
        // would; a store that fails is reported there and does not stop the start.
        const int shown = chkAs->value();
        {
            const QSignalBlocker quiet(chkAs);
            chkAs->setValue(settings.autoSave);
        }
        if (chkAs->value() != shown) chkAs_Click();
        QStringList lengths;
        for (int i = 10; i <= 180; i += 10)
            lengths << QString::number(i);
        cboJikan->addItems(lengths);
        const QString length = QString::number(round_.state().timeLimitSeconds);
        cboJikan->setCurrentIndex(cboJikan->findText(length));
        cboJikan->setEditText(length);
        cboSet->addItems({kOneEntrySet, kTwoEntrySet});
        cboSet->setCurrentIndex(0);
        cboSet->setEditText(kOneEntrySet);

        QStringList kana = loadList(kKanaFile, kKanaCapacity);
        round_.setTables(std::move(kana), loadList(kExclusionFile, kExclusionCapacity));
    } catch (const Error& e) {
        showError(e);
        return false;
    }
    loaded_ = true;
    return true;
}

void MainWindow::SetupHistoryGrid() {
    msgRireki->layOutColumns();
}

void MainWindow::NextQuestion() {
    round_.nextQuestion(
        random_, [this] { return clock_.timeOfDay(); }, questionModeOf(cboSet->currentText()));
    lblMondai->setText(round_.state().currentQuestion);
    txtKaitou->setAnswer(QString());
    txtKaitou->setFocus();
    if (round_.newlyWithoutQuestion())
        inform(texts::noQuestionLeft(), MessageBoxes::Icon::Information);
}

void MainWindow::txtKaitou_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii != 13) return;
    const QString word = txtKaitou->text();
    if (word.isEmpty()) return;
    KeyAscii = 0;
    // All or nothing: the verdict and the new counters are formed, and the file
    // written, before anything is stored.
    guarded([&] {
        const Judged judged = round_.judge(word);
        if (judged.exclude) appendExclusion(judged.question);
        round_.commit(judged);
        if (judged.verdict == Verdict::Exact) {
            if (judged.exclusionListFull)
                inform(texts::exclusionListFull(), MessageBoxes::Icon::Information);
            NextQuestion();
            return;
        }
        const DrillState& st = round_.state();
        if (judged.verdict == Verdict::Rejected) {
            lblNg->setText(QString::number(st.ngCount));
            txtKaitou->setAnswer(QString());
        } else {
            lblOk->setText(QString::number(st.okCount));
        }
        for (int i = 0; i < 3; ++i)
            lblTen[static_cast<size_t>(i)]->setText(
                QString::number(st.matchCounts[static_cast<size_t>(i)]));
        lblTen[3]->setText(QString::number(st.score));
        auto* line = new QListWidgetItem(
            judged.question + QStringLiteral(" _ ") + txtKaitou->text(), lstRireki);
        // Measured once here: the list lays out all its lines whenever one is
        // added, and measuring every line again each time made an answer cost
        // more the longer the round went on.
        line->setSizeHint(lstRireki->sizeHintForIndex(lstRireki->indexFromItem(line)));
        lstRireki->scrollToBottom();
        NextQuestion();
    });
}

void MainWindow::cmdStart_Click() {
    if (!round_.canStart()) {
        inform(texts::chooseRoundLength(), MessageBoxes::Icon::Information);
        return;
    }
    round_.start();
    txtKaitou->setAnswer(QString());
    lblMondai->setText(QString());
    setShapeWidth(shpJikanK, barFullWidth_);
    lstRireki->clear();
    fraRireki->setVisible(true);
    for (QLabel* l : {lblMoji_T, lblByou, lblRitu})
        l->setText(QString());
    for (QLabel* l : {lblTen[0], lblTen[1], lblTen[2], lblTen[3], lblOk, lblNg})
        l->setText(QStringLiteral("0"));
    cmdStart->setEnabled(false);
}

void MainWindow::tmrStart_Timer() {
    guarded([this] {
        const int step = round_.countdownTick();
        if (step == 0) return;
        for (int i = 1; i <= 3; ++i)
            imgStart[static_cast<size_t>(i)]->setVisible(i == step);
        if (step < 3) return;
        NextQuestion();
        round_.begin(clock_.wholeSeconds());
    });
}

void MainWindow::tmrBp_Timer() {
    RoundTick tick;
    guarded([&] {
        tick = round_.roundTick(clock_.wholeSeconds(), barFullWidth_);
        if (!tick.running) return;
        setShapeWidth(shpJikanK, tick.barWidth);
        if (tick.ended) cmdStart->setEnabled(true);
    });
    if (!tick.ended) return;
    // From here on each step runs even when the one before it failed.
    const DrillState& st = round_.state();
    const auto step = [](const std::function<void()>& body) {
        try {
            body();
        } catch (const Error&) {
        }
    };
    step([&] { lblByou->setText(speedText(st.typedChars, st.timeLimitSeconds)); });
    step([&] { lblRitu->setText(rateText(st.okCount, st.ngCount)); });
    step([&] { lblMoji_T->setText(QString::number(st.typedChars)); });
    if (round_.autoSaveDue()) {
        try {
            saveHistory();
        } catch (const Error& e) {
            inform(texts::autoSaveFailed(e.message()), MessageBoxes::Icon::Warning);
        }
    }
}

void MainWindow::setShapeWidth(Shape* shape, int twips) {
    shape->resize(px(std::max(0, twips)), shape->height());
}

void MainWindow::saveHistory() {
    if (!round_.canSave()) return;
    // Formed once: the row shows what the file will give back at the next start,
    // and only a record that reached the file becomes a row.
    const HistoryRecord stored =
        appendHistory(kHistoryFile, round_.record(clock_.localNow(), cboSet->currentText()));
    msgRireki->appendRecord(stored);
    chart_->appended(stored);
}

void MainWindow::cmdHozon_Click() {
    guarded([this] { saveHistory(); });
}

void MainWindow::cmdClear_Click() {
    guarded([this] {
        if (messages_.show(this, texts::kClearAsk, texts::kClearAskTitle,
                           MessageBoxes::Buttons::OkCancel,
                           MessageBoxes::Icon::Warning) != MessageBoxes::Answer::Ok)
            return;
        clearHistory(kHistoryFile);
        msgRireki->setRows(1);
        chart_->cleared();
        messages_.show(this, texts::kCleared, texts::kClearedTitle, MessageBoxes::Buttons::Ok,
                       MessageBoxes::Icon::Information);
    });
}

void MainWindow::writeSettings() {
    try {
        saveSettings({round_.state().timeLimitSeconds, round_.state().autoSave});
    } catch (const Error& e) {
        inform(texts::settingsNotStored(e.message(), !loaded_), MessageBoxes::Icon::Warning);
    }
}

void MainWindow::cboJikan_Click() {
    guarded([this] {
        round_.setTimeLimit(roundLengthOf(cboJikan->currentText()));
        writeSettings();
    });
}

void MainWindow::chkAs_Click() {
    guarded([this] {
        round_.setAutoSave(toInt16(chkAs->value()));
        writeSettings();
    });
}

void MainWindow::cmdHelp_Click() {
    help_.displayTopic(this, helpFilePath_);
}

void MainWindow::cmdEnd_Click() {
    close(); // the close box's way out, which closes the help too
}

void MainWindow::fraRireki_Click() {
    fraRireki->setVisible(false);
}

void MainWindow::msgRireki_ContextMenu(QPoint globalPos) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnuRireki"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (chart_->installed()) {
        connect(menu->addAction(texts::kProgressChart), &QAction::triggered, this,
                &MainWindow::openProgressChart);
    } else {
        menu->addAction(texts::kProgressChartMissing)->setEnabled(false);
    }
    // Active from the start, so that Enter takes it when the menu came from the keyboard.
    menu->setActiveAction(menu->actions().constFirst());
    menu->popup(globalPos);
}

void MainWindow::openProgressChart() {
    translateQt(); // for the chart's file dialog
    guarded([this] { chart_->open(this, [this] { return msgRireki->model().records(); }); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    help_.closeAll(this, helpFilePath_);
    chart_->close();
    tmrStart.stop();
    tmrBp.stop();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace kb
