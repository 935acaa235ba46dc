#include "main_window.h"

#include "answer_box.h"
#include "application.h"
#include "controls.h"
#include "core/int16.h"
#include "core/question_record.h"
#include "files/data_files.h"
#include "files/history_table.h"
#include "files/question_log.h"
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
    : QWidget(parent), messages_(c.messages), help_(c.help),
      chart_(std::make_unique<ProgressChart>(c.chartModule)), round_(c.random, c.clock) {
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
    connect(txtKaitou, &AnswerBox::keyPress, this, &MainWindow::txtKaitou_KeyPress,
            Qt::DirectConnection); // the handler may consume the key
    connect(msgRireki, &HistoryGrid::menuRequested, this, &MainWindow::msgRireki_ContextMenu);
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
        msgRireki->loadFile(kHistoryFile, &fileEnds_);
        barFullWidth_ = toInt16(twipsOf(shpJikanK->width()));
        txtKaitou->setAnswer(QString());
        for (QLabel* l : {lblMondai, lblOk, lblNg, lblMoji_T, lblByou, lblRitu, lblTen[0],
                          lblTen[1], lblTen[2], lblTen[3]})
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
        const QString length = QString::number(settings.timeLimitSeconds);
        cboJikan->setCurrentIndex(cboJikan->findText(length));
        cboJikan->setEditText(length);
        cboSet->addItems({kOneEntrySet, kTwoEntrySet});
        cboSet->setCurrentIndex(0);
        cboSet->setEditText(kOneEntrySet);

        QStringList kana = loadList(kKanaFile, kKanaCapacity, &fileEnds_);
        round_.setTables(std::move(kana), loadList(kExclusionFile, kExclusionCapacity, &fileEnds_));
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

void MainWindow::setShapeWidth(Shape* shape, int twips) {
    shape->resize(px(std::max(0, twips)), shape->height());
}

// The question lines go first and are taken back when the history record
// fails, so that a record in 履歴.txt never lacks lines it had; lines without a
// record are ignored by the view. Lines that cannot be written do not keep the
// record from being saved.
void MainWindow::saveHistory(const RoundSummary* roundEnd) {
    const QString set = cboSet->currentText();
    const std::optional<HistoryRecord> record =
        roundEnd ? round_.toSave(set, *roundEnd) : round_.toSave(set);
    if (!record) return;
    AppendMark lines;
    std::optional<Error> linesFailed;
    try {
        lines = appendQuestionLines(kQuestionLogFile, round_.questionLines(*record), &fileEnds_);
    } catch (const Error& e) {
        linesFailed = e;
    }
    HistoryRecord stored;
    try {
        // Formed once: the row shows what the file will give back at the next start,
        // and only a record that reached the file becomes a row.
        stored = appendHistory(kHistoryFile, *record, &fileEnds_);
    } catch (Error& e) {
        if (linesFailed)
            e.alsoSay(texts::questionLinesNotWrittenEither());
        else if (lines.made)
            e.alsoSay(texts::questionLinesTakenBack(takeBackQuestionLines(lines)));
        throw;
    }
    msgRireki->appendRecord(stored);
    chart_->appended(stored);
    if (linesFailed)
        inform(texts::questionLinesNotSaved(linesFailed->message()), MessageBoxes::Icon::Warning);
}

void MainWindow::cmdHozon_Click() {
    guarded([this] { saveHistory(); });
}

// 履歴.txt first: when it cannot be emptied, 出題記録.txt keeps the lines of its
// records too.
void MainWindow::cmdClear_Click() {
    guarded([this] {
        if (messages_.show(this, texts::kClearAsk, texts::kClearAskTitle,
                           MessageBoxes::Buttons::OkCancel,
                           MessageBoxes::Icon::Warning) != MessageBoxes::Answer::Ok)
            return;
        try {
            clearHistory(kHistoryFile);
        } catch (Error& e) {
            throw e.alsoSay(texts::questionLogKept());
        }
        msgRireki->setRows(1);
        chart_->cleared();
        try {
            clearQuestionLog(kQuestionLogFile);
        } catch (const Error& e) {
            inform(texts::questionLogNotCleared(e.message()), MessageBoxes::Icon::Warning);
            return;
        }
        messages_.show(this, texts::kCleared, texts::kClearedTitle, MessageBoxes::Buttons::Ok,
                       MessageBoxes::Icon::Information);
    });
}

void MainWindow::writeSettings() {
    try {
        const RoundSettings& s = round_.settings();
        saveSettings({s.timeLimitSeconds, s.autoSave});
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
    guarded([this] {
        chart_->open(
            this, messages_, [this] { return msgRireki->model().records(); }, kQuestionLogFile);
    });
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
