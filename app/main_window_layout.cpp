// The window's controls at their design places, sizes, fonts and colours.

#include "answer_box.h"
#include "controls.h"
#include "fonts.h"
#include "history_grid.h"
#include "layout_units.h"
#include "main_window.h"
#include "pictures.h"

#include <limits>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <utility>

namespace kb {
namespace {

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(left + width) - px(left), px(top + height) - px(top));
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
    b->setIcon(svgIcon(picture, QSize(32, 32)));
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setToolTip(tip);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

} // namespace

void MainWindow::buildLayout(SystemInputMethod* inputMethod) {
    setWindowTitle(QStringLiteral("コトバル"));
    setWindowIcon(svgIcon(QStringLiteral(":/assets/icon.svg"), QSize(32, 32)));
    setFixedSize(px(9465), px(6780));
    // Without the maximise hint no decoration, X11's or Qt's own on Wayland, offers one.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(gothicFont(9));

    // The strip along the top: logo and the five picture buttons.
    Image1 = new QLabel(this);
    place(Image1, 225, 150, 4755, 915);
    Image1->setPixmap(
        svgPixmap(QStringLiteral(":/assets/logo.svg"), QSize(317, 61), devicePixelRatioF()));
    cmdStart = pictureButton(this, QStringLiteral("スタート"), QStringLiteral(":/assets/icon.svg"),
                             QStringLiteral("ゲームをスタートします"));
    place(cmdStart, 5175, 150, 840, 915);
    cmdHozon = pictureButton(this, QStringLiteral("保存"), QStringLiteral(":/assets/save.svg"),
                             QStringLiteral("データを保存します"));
    place(cmdHozon, 6000, 150, 840, 915);
    cmdClear = pictureButton(this, QStringLiteral("クリア"), QStringLiteral(":/assets/clear.svg"),
                             QStringLiteral("履歴データをクリアします"));
    place(cmdClear, 6825, 150, 840, 915);
    cmdHelp = pictureButton(this, QStringLiteral("ヘルプ"), QStringLiteral(":/assets/help.svg"),
                            QStringLiteral("ヘルプファイルを開きます"));
    place(cmdHelp, 7650, 150, 840, 915);
    cmdEnd = pictureButton(this, QStringLiteral("終了"), QStringLiteral(":/assets/end.svg"),
                           QStringLiteral("プログラムを終了します"));
    place(cmdEnd, 8475, 150, 840, 915);

    // The etched separator: a black line with a white one under it.
    Line1[1] = new Shape(QColor(0, 0, 0), this);
    Line1[1]->setGeometry(px(150), px(1260), px(9300) - px(150) + 1, 1);
    Line1[0] = new Shape(QColor(255, 255, 255), this);
    Line1[0]->setGeometry(px(150), px(1275), px(9300) - px(150) + 1, 1);

    Frame1 = frame(this);
    place(Frame1, 130, 1300, 9240, 5370);

    // First row: traffic light, round length, auto-save, statistics.
    const char* lights[] = {"", ":/assets/light_red.svg", ":/assets/light_yellow.svg",
                            ":/assets/light_green.svg"};
    for (int i = 1; i <= 3; ++i) {
        imgStart[static_cast<size_t>(i)] = new QLabel(Frame1);
        place(imgStart[static_cast<size_t>(i)], 180, 270, 480, 480);
        imgStart[static_cast<size_t>(i)]->setPixmap(
            svgPixmap(QString::fromLatin1(lights[i]), QSize(32, 32), devicePixelRatioF()));
    }
    Label1[1] =
        label(Frame1, QStringLiteral("プレイ秒数"), 11.25, false, Qt::AlignLeft | Qt::AlignTop);
    place(Label1[1], 900, 195, 1155, 330);
    cboJikan = new PickComboBox(Frame1);
    place(cboJikan, 900, 450, 1065, 405);
    cboJikan->setFont(gothicFont(14.25));
    cboJikan->setEditText(QStringLiteral("Combo1"));
    cboJikan->lineEdit()->setCursorPosition(0); // show the placeholder from its start
    colour(cboJikan, Qt::black, QColor(255, 255, 240));
    chkAs = new PictureToggle(Frame1);
    place(chkAs, 2100, 450, 420, 420);
    chkAs->setIcon(svgIcon(QStringLiteral(":/assets/autosave.svg"), QSize(16, 16)));
    chkAs->setIconSize(QSize(16, 16));
    chkAs->setToolTip(QStringLiteral("履歴の自動保存を制御します"));

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

    // The time bar: green over red.
    shpJikanB = new Shape(QColor(255, 0, 0), Frame1);
    place(shpJikanB, 225, 945, 8745, 75);
    shpJikanK = new Shape(QColor(0, 255, 0), Frame1);
    place(shpJikanK, 225, 945, 8745, 75);

    // Second row: question, score, mode and the answer-history panel.
    // The tags beside controls keep a label's first placement, top left.
    const auto tag = [](QWidget* parent, const QString& text, double points, const QColor& ground) {
        QLabel* l = new TagLabel(text, parent);
        l->setFont(gothicFont(points));
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setWordWrap(true);
        colour(l, Qt::white, ground);
        return l;
    };
    Label2[0] = tag(Frame1, QStringLiteral("　問題"), 12, QColor(0, 0, 192));
    place(Label2[0], 225, 1080, 390, 975);
    lblMondai = label(Frame1, QStringLiteral("かぼ"), 39.75, true, Qt::AlignCenter);
    place(lblMondai, 600, 1050, 1980, 975);

    Frame2[1] = frame(Frame1);
    place(Frame2[1], 2670, 1020, 3830, 1035);
    const QColor grounds[] = {QColor(0, 192, 192), QColor(0, 192, 0), QColor(192, 192, 0),
                              QColor(128, 128, 128)};
    const QString tags[] = {QStringLiteral("1：語頭"), QStringLiteral("2：語尾"),
                            QStringLiteral("3：語中"), QStringLiteral("得点")};
    const QString points[] = {QStringLiteral("999"), QStringLiteral("99"), QStringLiteral("999"),
                              QStringLiteral("999")};
    for (int i = 0; i < 4; ++i) {
        QLabel* t = tag(Frame2[1], tags[i], 11.25, grounds[i]);
        t->setAlignment(Qt::AlignCenter);
        t->setWordWrap(false);
        t->setFrameShape(QFrame::Panel);
        t->setFrameShadow(QFrame::Sunken);
        place(t, 150 + 900 * i, 75, 840, 330);
        Label2[static_cast<size_t>(i + 2)] = t;
        QLabel* v = label(Frame2[1], points[i], 20.25, true, Qt::AlignCenter);
        place(v, 150 + 900 * i, 450, 840, 465);
        colour(v, i == 3 ? QColor(0, 0, 0) : QColor(64, 64, 64));
        lblTen[static_cast<size_t>(i)] = v;
    }

    Label2[6] = tag(Frame1, QStringLiteral("モード"), 11.25, QColor(0, 0, 128));
    Label2[6]->setWordWrap(false);
    place(Label2[6], 6600, 1095, 1365, 345);
    cboSet = new PickComboBox(Frame1);
    place(cboSet, 7950, 1100, 1065, 345);
    cboSet->setFont(gothicFont(11.25));
    cboSet->setEditText(kTwoEntrySet);
    colour(cboSet, Qt::black, QColor(255, 255, 240));

    fraRireki = new ClickFrame(QStringLiteral("履歴"), Frame1);
    place(fraRireki, 6600, 1500, 2415, 1590);
    fraRireki->setToolTip(QStringLiteral("クリックすると覚えた言葉の表示になります"));
    lstRireki = new QListWidget(fraRireki);
    place(lstRireki, 150, 225, 2115, 1230);
    lstRireki->setFont(gothicFont(9.75));
    colour(lstRireki, Qt::black, QColor(255, 255, 240));
    lstRireki->setSelectionMode(QAbstractItemView::SingleSelection);
    lstRireki->setFocusPolicy(Qt::StrongFocus);

    // Third row: the answer box, and the history grid under it.
    Label2[1] = tag(Frame1, QStringLiteral("　解答"), 12, QColor(192, 0, 0));
    place(Label2[1], 225, 2100, 390, 1005);
    txtKaitou = new AnswerBox(Frame1);
    txtKaitou->setSystemInputMethod(inputMethod);
    place(txtKaitou, 600, 2100, 5900, 1005);
    txtKaitou->setFont(gothicFont(39.75));
    txtKaitou->setMaxLength(std::numeric_limits<int>::max()); // the answer box has no length limit
    txtKaitou->setText(QStringLiteral("かぼちゃ"));
    colour(txtKaitou, Qt::black, QColor(255, 255, 240));

    msgRireki = new HistoryGrid(Frame1);
    place(msgRireki, 225, 3225, 8790, 1965);
    msgRireki->setFontSize(9);
    msgRireki->model().setDataRowCount(
        1); // the design's blank row until start-up lays the grid out

    // Stacking inside the main panel, front-most first.
    const QWidget* front[] = {cboSet,      fraRireki, txtKaitou, msgRireki,   chkAs,
                              Frame2[0],   cboJikan,  Frame2[1], Label2[6],   shpJikanK,
                              Label2[1],   Label2[0], Label1[1], imgStart[1], imgStart[2],
                              imgStart[3], lblMondai, shpJikanB};
    for (auto it = std::rbegin(front); it != std::rend(front); ++it)
        const_cast<QWidget*>(*it)->raise();

    // Labels, frames, pictures and shapes take no focus; the rest in this order.
    QWidget* order[] = {cmdStart, cmdHozon,  cmdClear,  cmdHelp,   cmdEnd, cboJikan,
                        chkAs,    msgRireki, txtKaitou, lstRireki, cboSet};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    // Each control answers to its design name, which is how tests and
    // accessibility tools find it; sets of controls as name(index).
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

    // What a screen reader says. A control that takes input is named by its
    // tag or caption, and the tag beside it is linked to it; a label showing a
    // value keeps the value as its name, so "5, 得点" is read, not "得点".
    const std::pair<QWidget*, const char16_t*> names[] = {
        {txtKaitou, u"解答"}, {chkAs, u"自動保存"}, {cboJikan, u"プレイ秒数"},
        {cboSet, u"モード"},  {msgRireki, u"履歴"}, {lstRireki, u"履歴"}};
    for (const auto& [control, name] : names)
        control->setAccessibleName(QString::fromUtf16(name));
    Label1[1]->setBuddy(cboJikan);
    Label2[0]->setBuddy(lblMondai);
    Label2[1]->setBuddy(txtKaitou);
    Label2[6]->setBuddy(cboSet);
    const std::pair<QLabel*, const char16_t*> meanings[] = {
        {lblMondai, u"問題"},   {lblOk, u"OK"},       {lblNg, u"NG"},       {lblMoji_T, u"文字数"},
        {lblByou, u"秒当たり"}, {lblRitu, u"正解率"}, {lblTen[0], u"語頭"}, {lblTen[1], u"語尾"},
        {lblTen[2], u"語中"},   {lblTen[3], u"得点"}};
    for (const auto& [shown, meaning] : meanings)
        shown->setAccessibleDescription(QString::fromUtf16(meaning));
}

} // namespace kb
