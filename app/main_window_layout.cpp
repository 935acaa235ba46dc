// The window's controls at their design places, sizes, fonts and colours.

#include "answer_box.h"
#include "controls.h"
#include "fonts.h"
#include "history_grid.h"
#include "layout_units.h"
#include "main_window.h"
#include "pictures.h"
#include "window_texts.h"

#include <limits>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <utility>

namespace kb {
namespace {

// Places in twips, as the design gives them.
struct Place {
    int left, top, width, height;
};

void place(QWidget* w, const Place& p) {
    w->setGeometry(px(p.left), px(p.top), px(p.left + p.width) - px(p.left),
                   px(p.top + p.height) - px(p.top));
}

void place(QWidget* w, int left, int top, int width, int height) {
    place(w, Place{left, top, width, height});
}

void colour(QWidget* w, const QColor& text, const QColor& ground = QColor()) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Text, text);
    if (ground.isValid()) {
        pal.setColor(QPalette::Window, ground);
        pal.setColor(QPalette::Base, ground);
        w->setAutoFillBackground(true);
    }
    w->setPalette(pal);
}

const QColor kIvory{255, 255, 240}; // the ground of what the player types or picks

QLabel* label(QWidget* parent, const QString& text, double points, bool border,
              Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setFont(gothicFont(points));
    l->setAlignment(align);
    if (border) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setLineWidth(1);
    }
    return l;
}

// The tags beside controls keep a label's first placement, top left.
QLabel* tag(QWidget* parent, const QString& text, double points, const QColor& ground) {
    QLabel* l = new TagLabel(text, parent);
    l->setFont(gothicFont(points));
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    colour(l, Qt::white, ground);
    return l;
}

// What a tag says, read aloud: without the space that indents it or the key
// number before "：".
QString spoken(const QString& shown) {
    return shown.section(u'：', -1).trimmed();
}

QFrame* frame(QWidget* parent) {
    auto* f = new QFrame(parent);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QToolButton* pictureButton(QWidget* parent, const QString& caption, const QString& picture,
                           const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setIcon(svgIcon(picture));
    b->setIconSize(pictureSize(picture));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

QLabel* picture(QWidget* parent, const QString& resource) {
    auto* l = new QLabel(parent);
    l->setPixmap(svgPixmap(resource, parent->devicePixelRatioF()));
    return l;
}

} // namespace

void MainWindow::buildLayout(SystemInputMethod* inputMethod) {
    buildWindow();
    buildTitleStrip();
    // First row: traffic light, round length, auto-save, statistics.
    buildTrafficLight();
    buildRoundLength();
    buildStatistics();
    buildTimeBar();
    // Second row: question, score, mode and the answer-history panel.
    buildQuestion();
    buildScore();
    buildMode();
    buildHistoryPanel();
    // Third row: the answer box, and the history grid under it.
    buildAnswer(inputMethod);
    buildHistoryGrid();

    stackControls();
    orderFocus();
    nameControls();
    describeForScreenReaders();
}

void MainWindow::buildWindow() {
    setWindowTitle(texts::kCaption);
    setWindowIcon(svgIcon(QStringLiteral(":/assets/icon.svg")));
    setFixedSize(px(9465), px(6780));
    // Without the maximise hint no decoration, X11's or Qt's own on Wayland, offers one.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothicFont(9));
}

// The strip along the top: logo and the five picture buttons, the etched line
// under it, and the main panel.
void MainWindow::buildTitleStrip() {
    const int top = 150, height = 915;
    Image1 = picture(this, QStringLiteral(":/assets/logo.svg"));
    place(Image1, 225, top, 4755, height);
    struct Button {
        QToolButton*& control;
        const char16_t* caption;
        const char* picture;
        const char16_t* tip;
    };
    const Button buttons[] = {
        {cmdStart, u"スタート", ":/assets/icon.svg", u"ゲームをスタートします"},
        {cmdHozon, u"保存", ":/assets/save.svg", u"データを保存します"},
        {cmdClear, u"クリア", ":/assets/clear.svg", u"履歴データをクリアします"},
        {cmdHelp, u"ヘルプ", ":/assets/help.svg", u"ヘルプファイルを開きます"},
        {cmdEnd, u"終了", ":/assets/end.svg", u"プログラムを終了します"}};
    int left = 5175;
    for (const Button& b : buttons) {
        b.control = pictureButton(this, QString::fromUtf16(b.caption),
                                  QString::fromLatin1(b.picture), QString::fromUtf16(b.tip));
        place(b.control, left, top, 840, height);
        left += 825;
    }

    // The etched separator: a black line with a white one under it, both from
    // 150 to 9300 twips, ends included.
    const int lineLeft = px(150), lineWidth = px(9300) - lineLeft + 1;
    Line1[1] = new Shape(QColor(0, 0, 0), this);
    Line1[1]->setGeometry(lineLeft, px(1260), lineWidth, 1);
    Line1[0] = new Shape(QColor(255, 255, 255), this);
    Line1[0]->setGeometry(lineLeft, px(1275), lineWidth, 1);

    Frame1 = frame(this);
    place(Frame1, 130, 1300, 9240, 5370);
}

// Three lamps in one place; the window shows the one the countdown is at.
void MainWindow::buildTrafficLight() {
    const std::array lights = {":/assets/light_red.svg", ":/assets/light_yellow.svg",
                               ":/assets/light_green.svg"};
    for (size_t i = 1; i <= 3; ++i) {
        imgStart[i] = picture(Frame1, QString::fromLatin1(lights[i - 1]));
        place(imgStart[i], 180, 270, 480, 480);
    }
}

void MainWindow::buildRoundLength() {
    Label1[1] =
        label(Frame1, QStringLiteral("プレイ秒数"), 11.25, false, Qt::AlignLeft | Qt::AlignTop);
    place(Label1[1], 900, 195, 1155, 330);
    cboJikan = new PickComboBox(Frame1);
    place(cboJikan, 900, 450, 1065, 405);
    cboJikan->setFont(gothicFont(14.25));
    cboJikan->setEditText(QStringLiteral("Combo1"));
    cboJikan->lineEdit()->setCursorPosition(0); // show the placeholder from its start
    colour(cboJikan, Qt::black, kIvory);
    chkAs = new PictureToggle(Frame1);
    place(chkAs, 2100, 450, 420, 420);
    const QString autoSave = QStringLiteral(":/assets/autosave.svg");
    chkAs->setIcon(svgIcon(autoSave));
    chkAs->setIconSize(pictureSize(autoSave));
    chkAs->setToolTip(QStringLiteral("履歴の自動保存を制御します"));
}

void MainWindow::buildStatistics() {
    Frame2[0] = frame(Frame1);
    place(Frame2[0], 2670, 135, 6330, 735);
    const auto statistic = [this](const QString& placeholder, int left, int width,
                                  const QColor& text) {
        QLabel* l = label(Frame2[0], placeholder, 20.25, true, Qt::AlignCenter);
        place(l, left, 180, width, 465);
        colour(l, text);
        return l;
    };
    lblOk = statistic(QStringLiteral("999"), 150, 810, QColor(0, 128, 0));
    lblNg = statistic(QStringLiteral("999"), 1050, 810, QColor(255, 0, 0));
    lblMoji_T = statistic(QStringLiteral("9999"), 1950, 930, QColor(128, 0, 0));
    lblRitu = statistic(QStringLiteral("100.0%"), 3000, 1455, QColor(0, 0, 0));
    lblByou = statistic(QStringLiteral("2.63/秒"), 4500, 1680, QColor(0, 0, 128));
}

// The time bar: green over red, both at full length until a round shortens the green.
void MainWindow::buildTimeBar() {
    const Place bar{225, 945, 8745, 75};
    shpJikanB = new Shape(QColor(255, 0, 0), Frame1);
    place(shpJikanB, bar);
    shpJikanK = new Shape(QColor(0, 255, 0), Frame1);
    place(shpJikanK, bar);
}

void MainWindow::buildQuestion() {
    Label2[0] = tag(Frame1, QStringLiteral("　問題"), 12, QColor(0, 0, 192));
    place(Label2[0], 225, 1080, 390, 975);
    lblMondai = label(Frame1, QStringLiteral("かぼ"), 39.75, true, Qt::AlignCenter);
    place(lblMondai, 600, 1050, 1980, 975);
}

// The points for the three kinds of answer and their sum, each under its tag.
void MainWindow::buildScore() {
    Frame2[1] = frame(Frame1);
    place(Frame2[1], 2670, 1020, 3830, 1035);
    const QColor grounds[] = {QColor(0, 192, 192), QColor(0, 192, 0), QColor(192, 192, 0),
                              QColor(128, 128, 128)};
    const QString tags[] = {QStringLiteral("1：語頭"), QStringLiteral("2：語尾"),
                            QStringLiteral("3：語中"), QStringLiteral("得点")};
    const QString points[] = {QStringLiteral("999"), QStringLiteral("99"), QStringLiteral("999"),
                              QStringLiteral("999")};
    for (int i = 0; i < 4; ++i) {
        const int left = 150 + 900 * i;
        QLabel* t = tag(Frame2[1], tags[i], 11.25, grounds[i]);
        t->setAlignment(Qt::AlignCenter);
        t->setWordWrap(false);
        t->setFrameShape(QFrame::Panel);
        t->setFrameShadow(QFrame::Sunken);
        place(t, left, 75, 840, 330);
        Label2[static_cast<size_t>(i + 2)] = t;
        QLabel* v = label(Frame2[1], points[i], 20.25, true, Qt::AlignCenter);
        place(v, left, 450, 840, 465);
        colour(v, i == 3 ? QColor(0, 0, 0) : QColor(64, 64, 64));
        lblTen[static_cast<size_t>(i)] = v;
    }
}

void MainWindow::buildMode() {
    Label2[6] = tag(Frame1, QStringLiteral("モード"), 11.25, QColor(0, 0, 128));
    Label2[6]->setWordWrap(false);
    place(Label2[6], 6600, 1095, 1365, 345);
    cboSet = new PickComboBox(Frame1);
    place(cboSet, 7950, 1100, 1065, 345);
    cboSet->setFont(gothicFont(11.25));
    cboSet->setEditText(kTwoEntrySet);
    colour(cboSet, Qt::black, kIvory);
}

void MainWindow::buildHistoryPanel() {
    fraRireki = new ClickFrame(QStringLiteral("履歴"), Frame1);
    place(fraRireki, 6600, 1500, 2415, 1590);
    fraRireki->setToolTip(QStringLiteral("クリックすると覚えた言葉の表示になります"));
    lstRireki = new QListWidget(fraRireki);
    place(lstRireki, 150, 225, 2115, 1230);
    lstRireki->setFont(gothicFont(9.75));
    colour(lstRireki, Qt::black, kIvory);
    lstRireki->setSelectionMode(QAbstractItemView::SingleSelection);
    lstRireki->setFocusPolicy(Qt::StrongFocus);
}

void MainWindow::buildAnswer(SystemInputMethod* inputMethod) {
    Label2[1] = tag(Frame1, QStringLiteral("　解答"), 12, QColor(192, 0, 0));
    place(Label2[1], 225, 2100, 390, 1005);
    txtKaitou = new AnswerBox(Frame1);
    txtKaitou->setSystemInputMethod(inputMethod);
    place(txtKaitou, 600, 2100, 5900, 1005);
    txtKaitou->setFont(gothicFont(39.75));
    txtKaitou->setMaxLength(std::numeric_limits<int>::max()); // the answer box has no length limit
    txtKaitou->setText(QStringLiteral("かぼちゃ"));
    colour(txtKaitou, Qt::black, kIvory);
}

void MainWindow::buildHistoryGrid() {
    msgRireki = new HistoryGrid(Frame1);
    place(msgRireki, 225, 3225, 8790, 1965);
    msgRireki->setFontSize(9);
    // The design's blank row until start-up lays the grid out.
    msgRireki->model().setDataRowCount(1);
}

// Stacking inside the main panel, front-most first.
void MainWindow::stackControls() {
    QWidget* const front[] = {cboSet,      fraRireki, txtKaitou, msgRireki,   chkAs,
                              Frame2[0],   cboJikan,  Frame2[1], Label2[6],   shpJikanK,
                              Label2[1],   Label2[0], Label1[1], imgStart[1], imgStart[2],
                              imgStart[3], lblMondai, shpJikanB};
    for (auto it = std::rbegin(front); it != std::rend(front); ++it)
        (*it)->raise();
}

// Labels, frames, pictures and shapes take no focus; the rest in this order.
void MainWindow::orderFocus() {
    QWidget* order[] = {cmdStart, cmdHozon,  cmdClear,  cmdHelp,   cmdEnd, cboJikan,
                        chkAs,    msgRireki, txtKaitou, lstRireki, cboSet};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

// Each control answers to its design name, which is how tests and
// accessibility tools find it; sets of controls as name(index).
void MainWindow::nameControls() {
    const std::pair<QObject*, const char*> named[] = {
        {Image1, "Image1"},       {cmdStart, "cmdStart"},   {cmdHozon, "cmdHozon"},
        {cmdClear, "cmdClear"},   {cmdHelp, "cmdHelp"},     {cmdEnd, "cmdEnd"},
        {Frame1, "Frame1"},       {cboJikan, "cboJikan"},   {chkAs, "chkAs"},
        {shpJikanK, "shpJikanK"}, {shpJikanB, "shpJikanB"}, {lblMondai, "lblMondai"},
        {cboSet, "cboSet"},       {fraRireki, "fraRireki"}, {txtKaitou, "txtKaitou"},
        {msgRireki, "msgRireki"}, {lstRireki, "lstRireki"}, {lblOk, "lblOk"},
        {lblNg, "lblNg"},         {lblMoji_T, "lblMoji_T"}, {lblRitu, "lblRitu"},
        {lblByou, "lblByou"}};
    for (const auto& [control, name] : named)
        control->setObjectName(QLatin1String(name));
    const auto nameSet = [](auto& controls, const char* name) {
        for (size_t i = 0; i < controls.size(); ++i)
            if (controls[i])
                controls[i]->setObjectName(
                    QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i));
    };
    nameSet(Line1, "Line1");
    nameSet(imgStart, "imgStart");
    nameSet(Label1, "Label1");
    nameSet(Frame2, "Frame2");
    nameSet(Label2, "Label2");
    nameSet(lblTen, "lblTen");
}

// What a screen reader says. A control that takes input is named by its tag or
// caption, and the tag beside it is linked to it; a label showing a value keeps
// the value as its name, so "5, 得点" is read, not "得点".
void MainWindow::describeForScreenReaders() {
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {Label1[1], cboJikan}, {Label2[1], txtKaitou}, {Label2[6], cboSet}};
    for (const auto& [shown, control] : buddies) {
        shown->setBuddy(control);
        control->setAccessibleName(spoken(shown->text()));
    }
    Label2[0]->setBuddy(lblMondai);
    chkAs->setAccessibleName(QStringLiteral("自動保存"));
    msgRireki->setAccessibleName(fraRireki->title());
    lstRireki->setAccessibleName(fraRireki->title());
    const std::pair<QLabel*, QString> meanings[] = {
        {lblMondai, spoken(Label2[0]->text())}, {lblOk, QStringLiteral("OK")},
        {lblNg, QStringLiteral("NG")},          {lblMoji_T, QStringLiteral("文字数")},
        {lblByou, QStringLiteral("秒当たり")},  {lblRitu, QStringLiteral("正解率")},
        {lblTen[0], spoken(Label2[2]->text())}, {lblTen[1], spoken(Label2[3]->text())},
        {lblTen[2], spoken(Label2[4]->text())}, {lblTen[3], spoken(Label2[5]->text())}};
    for (const auto& [shown, meaning] : meanings)
        shown->setAccessibleDescription(meaning);
}

} // namespace kb
