// The round's conversation: an Enter, the start button and the two timers.
// Each handler reads its controls, makes one call into Round, and shows what
// it answered; Round has what must outlive the process written before it
// stores anything.

#include "answer_box.h"
#include "controls.h"
#include "files/data_files.h"
#include "layout_units.h"
#include "main_window.h"
#include "window_texts.h"

#include <QLabel>
#include <QListWidget>
#include <QToolButton>

namespace kb {
namespace {

// Where an exact answer's question goes for good.
struct ExclusionFile final : ExclusionWriter {
    explicit ExclusionFile(KnownEnds& ends) : ends_(ends) {}
    void appendExclusion(const QString& question) override {
        kb::appendExclusion(question, &ends_);
    }
    KnownEnds& ends_;
};

} // namespace

QuestionMode MainWindow::questionMode() const {
    return questionModeOf(cboSet->currentText());
}

// What NextQuestion leaves behind: the question shown, the answer box empty and focused.
void MainWindow::NextQuestion(const QuestionChange& next) {
    lblMondai->setText(next.question);
    txtKaitou->setAnswer(QString());
    txtKaitou->setFocus();
    if (next.noneLeft) inform(texts::noQuestionLeft(), MessageBoxes::Icon::Information);
}

void MainWindow::txtKaitou_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii != 13) return;
    const QString word = txtKaitou->text();
    if (word.isEmpty()) return;
    KeyAscii = 0;
    guarded([&] {
        ExclusionFile exclusions(fileEnds_);
        showAnswered(round_.answer(word, questionMode(), exclusions));
    });
}

void MainWindow::showAnswered(const Answered& a) {
    if (a.exclusionListFull) inform(texts::exclusionListFull(), MessageBoxes::Icon::Information);
    if (a.logLine) {
        if (a.verdict == Verdict::Rejected) {
            lblNg->setText(QString::number(a.counters.ngCount));
            txtKaitou->setAnswer(QString());
        } else {
            lblOk->setText(QString::number(a.counters.okCount));
        }
        lblTen[0]->setText(QString::number(a.counters.headMatches));
        lblTen[1]->setText(QString::number(a.counters.tailMatches));
        lblTen[2]->setText(QString::number(a.counters.insideMatches));
        lblTen[3]->setText(QString::number(a.counters.score));
        auto* line = new QListWidgetItem(*a.logLine, lstRireki);
        // Measured once here: the list lays out all its lines whenever one is
        // added, and measuring every line again each time made an answer cost
        // more the longer the round went on.
        line->setSizeHint(lstRireki->sizeHintForIndex(lstRireki->indexFromItem(line)));
        lstRireki->scrollToBottom();
    }
    NextQuestion(a.next);
}

void MainWindow::cmdStart_Click() {
    if (!round_.start()) {
        inform(texts::chooseRoundLength(), MessageBoxes::Icon::Information);
        return;
    }
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
        const CountdownStep step = round_.countdownTick(questionMode());
        if (step.lamp == 0) return;
        for (int i = 1; i <= 3; ++i)
            imgStart[static_cast<size_t>(i)]->setVisible(i == step.lamp);
        if (!step.first) return;
        NextQuestion(*step.first);
        round_.begin();
    });
}

void MainWindow::tmrBp_Timer() {
    RoundTick tick;
    guarded([&] {
        tick = round_.roundTick(barFullWidth_);
        if (!tick.running) return;
        setShapeWidth(shpJikanK, tick.barWidth);
        if (tick.ended) cmdStart->setEnabled(true);
    });
    if (!tick.ended) return;
    // From here on each step runs even when the one before it failed: a figure
    // that could not be formed leaves its label as it was.
    const RoundSummary& end = *tick.ended;
    if (!end.speed.error) lblByou->setText(end.speed.text);
    if (!end.rate.error) lblRitu->setText(end.rate.text);
    lblMoji_T->setText(end.typedChars);
    if (!tick.autoSave) return;
    try {
        saveHistory(&end);
    } catch (const Error& e) {
        inform(texts::autoSaveFailed(e.message()), MessageBoxes::Icon::Warning);
    }
}

} // namespace kb
