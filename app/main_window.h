#pragma once

#include "core/error.h"
#include "drill/round.h"
#include "files/known_ends.h"
#include "message_boxes.h"

#include <array>
#include <functional>
#include <memory>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;
class QToolButton;

namespace kb {

class AnswerBox;
class Clock;
class ClickFrame;
class HelpViewer;
class HistoryGrid;
class PickComboBox;
class PictureToggle;
class ProgressChart;
class RandomSource;
class Shape;
class SystemInputMethod;

// What the window needs from outside, assembled in main() or by a test.
struct Collaborators {
    Clock& clock;
    RandomSource& random;
    MessageBoxes& messages;
    HelpViewer& help;
    SystemInputMethod* inputMethod = nullptr; // none: the answer box composes kana itself
    QString chartModule; // empty: the progress chart's module beside the program
};

// frmMain: owns the drill state and the controls. Handlers are thin: they read
// controls, call drill/ and files/, and write the results back.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const Collaborators& collaborators, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up. False when it failed: the error has been shown and the program
    // should end with a non-zero status.
    bool Form_Load();

    // Handlers, public so tests can drive them directly.
    void cmdStart_Click();
    void tmrStart_Timer();
    void tmrBp_Timer();
    void txtKaitou_KeyPress(std::int16_t& KeyAscii);
    void cmdHozon_Click();
    void cmdClear_Click();
    void cboJikan_Click();
    void chkAs_Click();
    void cmdHelp_Click();
    void cmdEnd_Click();
    void fraRireki_Click();
    // The history grid's menu, with its one entry: the progress chart.
    void msgRireki_ContextMenu(QPoint globalPos);
    void openProgressChart();

    // The timers; a test calls their handlers with a fake clock instead.
    QTimer tmrStart;
    QTimer tmrBp;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Controls, named as the game's design names them; tests find them by name.
    QLabel* Image1 = nullptr;
    QToolButton* cmdStart = nullptr;
    QToolButton* cmdHozon = nullptr;
    QToolButton* cmdClear = nullptr;
    QToolButton* cmdHelp = nullptr;
    QToolButton* cmdEnd = nullptr;
    std::array<Shape*, 2> Line1{};
    QFrame* Frame1 = nullptr;
    std::array<QLabel*, 4> imgStart{}; // 1..3
    std::array<QLabel*, 2> Label1{};   // 1 only
    PickComboBox* cboJikan = nullptr;
    PictureToggle* chkAs = nullptr;
    std::array<QFrame*, 2> Frame2{};
    Shape* shpJikanK = nullptr;
    Shape* shpJikanB = nullptr;
    std::array<QLabel*, 7> Label2{};
    QLabel* lblMondai = nullptr;
    PickComboBox* cboSet = nullptr;
    ClickFrame* fraRireki = nullptr;
    AnswerBox* txtKaitou = nullptr;
    HistoryGrid* msgRireki = nullptr;
    QListWidget* lstRireki = nullptr;
    QLabel* lblOk = nullptr;
    QLabel* lblNg = nullptr;
    QLabel* lblMoji_T = nullptr;
    QLabel* lblRitu = nullptr;
    QLabel* lblByou = nullptr;
    std::array<QLabel*, 4> lblTen{};

    void buildLayout(SystemInputMethod* inputMethod);
    // buildLayout's steps, in the order it takes them (main_window_layout.cpp).
    void buildWindow();
    void buildTitleStrip();
    void buildTrafficLight();
    void buildRoundLength();
    void buildStatistics();
    void buildTimeBar();
    void buildQuestion();
    void buildScore();
    void buildMode();
    void buildHistoryPanel();
    void buildAnswer(SystemInputMethod* inputMethod);
    void buildHistoryGrid();
    void stackControls();
    void orderFocus();
    void nameControls();
    void describeForScreenReaders();
    void wireEvents();
    void SetupHistoryGrid();
    // Reads the set selection, at every draw.
    QuestionMode questionMode() const;
    // Puts the question drawn in front of the player.
    void NextQuestion(const QuestionChange& next);
    void showAnswered(const Answered& answered);
    // Saves the last round, with the figures its end showed when given; declined
    // while nothing can be saved.
    void saveHistory(const RoundSummary* roundEnd = nullptr);
    // Stores both settings; a failure is reported here, the values stay in force.
    void writeSettings();
    void setShapeWidth(Shape* shape, int twips);
    // A box with the program's caption and the OK button.
    void inform(const QString& text, MessageBoxes::Icon icon);
    void showError(const Error& error);
    // Runs a handler body; an error is reported and the program goes on.
    void guarded(const std::function<void()>& body);

    MessageBoxes& messages_;
    HelpViewer& help_;
    std::unique_ptr<ProgressChart> chart_;
    Round round_;
    // How the player's files ended when last read or appended to, so that a
    // save need not read the whole history again.
    KnownEnds fileEnds_;
    QString helpFilePath_;
    std::int16_t barFullWidth_ = 0; // twips
    bool loaded_ = false;
};

} // namespace kb
