#include "chart_window.h"

#include "app/history_columns.h"
#include "core/error.h"
#include "files/question_log_reader.h"
#include "kana_view.h"

#include <algorithm>
#include <cmath>
#include <QBoxLayout>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QToolTip>
#include <QValueAxis>

namespace kb {

namespace {

const QString kAll = QStringLiteral("すべて");
const QString kTitle = QStringLiteral("成績グラフ");
const QString kRateTitle = QStringLiteral("正解率（%）");
constexpr int kValueAxisTicks = 5; // Qt's own default

// A light marker is one image drawn at every point, not an item per point.
// Drawn at the screen's density, so that it stays sharp at 2x.
QImage roundDot(qreal scale) {
    QImage dot(QSize(7, 7) * scale, QImage::Format_ARGB32_Premultiplied);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.setPen(QColor(40, 70, 150));
    painter.setBrush(QColor(90, 130, 210));
    painter.drawEllipse(QRectF(0.5, 0.5, 6, 6));
    return dot;
}

} // namespace

// Shows the row of the point under the resting mouse, as any tooltip comes.
// Qt Charts tells when the mouse meets a line, not which point is nearest, so
// the view finds it itself.
class PointChartView : public QChartView {
public:
    using QChartView::QChartView;
    const QList<QPointF>* points = nullptr;
    QLineSeries* series = nullptr;
    std::function<QString(int)> textOf;

protected:
    bool viewportEvent(QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return QChartView::viewportEvent(event);
        const auto* help = static_cast<QHelpEvent*>(event);
        const int nearest = pointAt(help->pos());
        if (nearest < 0)
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), textOf(nearest), viewport());
        return true;
    }

private:
    int pointAt(QPointF at) const {
        if (!points || points->isEmpty()) return -1;
        const QRectF area = chart()->plotArea();
        if (!area.adjusted(-8, -8, 8, 8).contains(at)) return -1;
        const QPointF value = chart()->mapToValue(at, series);
        const QPointF origin = chart()->mapToValue(area.bottomLeft(), series);
        const QPointF corner = chart()->mapToValue(area.topRight(), series);
        const double sx = area.width() / std::max(1e-9, corner.x() - origin.x());
        const double sy = area.height() / std::max(1e-9, corner.y() - origin.y());
        int found = -1;
        double closest = 8.0 * 8.0; // pixels, squared
        for (int i = 0; i < points->size(); ++i) {
            const double dx = ((*points)[i].x() - value.x()) * sx;
            const double dy = ((*points)[i].y() - value.y()) * sy;
            if (dx * dx + dy * dy <= closest) {
                closest = dx * dx + dy * dy;
                found = i;
            }
        }
        return found;
    }
};

ChartWindow::ChartWindow(QWidget* parent, MessageBoxes& messages)
    : QWidget(parent, Qt::Window), messages_(messages) {
    setWindowTitle(kTitle);
    setAccessibleName(kTitle);
    setAccessibleDescription(QStringLiteral(
        "保存した回ごとの得点か速さを、日付の順に示します。"
        "グラフの下の要約に、表示している回数、最高、最新、直近 10 回の平均があります。"));
    resize(820, 560);

    // Made in tab order: the controls, the chart, the summary.
    QLayout* controls = buildControls();
    buildSeries();
    buildAxes();
    QWidget* shown = buildPages();
    buildSummary();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(shown, 1);
    layout->addWidget(lblSummary);

    for (QComboBox* box : {cboView, cboMode, cboLength})
        connect(box, &QComboBox::currentIndexChanged, this, &ChartWindow::redraw);
    connect(chart, &QChart::plotAreaChanged, this, &ChartWindow::refill);
    connect(static_cast<QPushButton*>(cmdSavePng), &QPushButton::clicked, this,
            &ChartWindow::askAndSave);
}

// View, set and length to choose, each with its label, then the save button.
QLayout* ChartWindow::buildControls() {
    cboView = new QComboBox(this);
    cboView->addItems(
        {QStringLiteral("得点"), QStringLiteral("速さ（文字/秒）"), QStringLiteral("かな別")});
    cboMode = new QComboBox(this);
    cboLength = new QComboBox(this);
    cmdSavePng = new QPushButton(QStringLiteral("PNG で保存…"), this);
    cmdSavePng->setObjectName(QStringLiteral("cmdSavePng"));
    cboView->setObjectName(QStringLiteral("cboView"));
    cboMode->setObjectName(QStringLiteral("cboMode"));
    cboLength->setObjectName(QStringLiteral("cboLength"));

    auto* controls = new QHBoxLayout;
    const auto labelled = [&](const QString& text, QComboBox* box) {
        auto* label = new QLabel(text, this);
        label->setBuddy(box);
        controls->addWidget(label);
        controls->addWidget(box);
        controls->addSpacing(12);
    };
    labelled(QStringLiteral("表示(&V):"), cboView);
    labelled(QStringLiteral("モード(&M):"), cboMode);
    labelled(QStringLiteral("プレイ秒数(&L):"), cboLength);
    controls->addStretch();
    controls->addWidget(cmdSavePng);
    return controls;
}

void ChartWindow::buildSeries() {
    chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    values = new QLineSeries;
    // Each round a dot, and only a faint line between them: the mean is the line to follow.
    values->setLightMarker(roundDot(devicePixelRatioF()));
    values->setMarkerSize(7);
    values->setPointsVisible(true);
    values->setPen(QPen(QColor(90, 130, 210, 70), 1));
    average = new QLineSeries;
    average->setName(QStringLiteral("直近 10 回の平均"));
    average->setPen(QPen(QColor(220, 120, 20), 2.5));
    rate = new QLineSeries;
    rate->setName(kRateTitle);
    rate->setPen(QPen(QColor(60, 150, 80, 120), 1));
    best = new QScatterSeries;
    best->setName(QStringLiteral("最高"));
    best->setMarkerShape(QScatterSeries::MarkerShapeStar);
    best->setMarkerSize(18);
    best->setColor(QColor(200, 30, 40));
    best->setBorderColor(QColor(120, 0, 0));
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{rate, values, average, best})
        chart->addSeries(s);
}

// Dates along the bottom, the score or speed on the left, the rate on the right.
void ChartWindow::buildAxes() {
    axisDate = new QDateTimeAxis;
    axisDate->setTickCount(kDateAxisTicks);
    axisValue = new QValueAxis;
    axisRate = new QValueAxis;
    axisRate->setRange(0, 100);
    axisRate->setTitleText(kRateTitle);
    axisRate->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(axisDate, Qt::AlignBottom);
    chart->addAxis(axisValue, Qt::AlignLeft);
    chart->addAxis(axisRate, Qt::AlignRight);
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{values, average, best}) {
        s->attachAxis(axisDate);
        s->attachAxis(axisValue);
    }
    rate->attachAxis(axisDate);
    rate->attachAxis(axisRate);
}

// The chart, or in its place a line saying why there is none.
QWidget* ChartWindow::buildPages() {
    chartView = new PointChartView(chart, this);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setObjectName(QStringLiteral("chartView"));
    chartView->setAccessibleName(QStringLiteral("成績の推移の図"));
    chartView->setAccessibleDescription(
        QStringLiteral("点が 1 回ずつの成績、太い線が直近 10 回の平均、星が最高の回、"
                       "緑の細い線が正解率です。数値はグラフの下の要約にあります。"));
    chartView->points = &series_.values;
    chartView->series = values;
    chartView->textOf = [this](int point) { return rowText(point); };
    lblEmpty = new QLabel(this);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));
    lblEmpty->setAlignment(Qt::AlignCenter);
    lblEmpty->setWordWrap(true);
    pages = new QStackedWidget(this);
    pages->addWidget(chartView);
    pages->addWidget(lblEmpty);
    kanaView = new KanaView(this);
    pages->addWidget(kanaView);
    return pages;
}

void ChartWindow::buildSummary() {
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    // Its name stays its text, which is what a screen reader reads out.
    lblSummary->setAccessibleDescription(QStringLiteral("成績の要約"));
    lblSummary->setWordWrap(true);
    // Selectable by keyboard, so that Tab reaches it and a screen reader reads it.
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblSummary->setFocusPolicy(Qt::StrongFocus);
}

// A window beside the game: Esc puts it away, as it would a dialog.
void ChartWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void ChartWindow::setRecords(std::vector<HistoryRecord> records) {
    records_ = std::move(records);
    kana_.reset();
    data_ = readProgress(records_);
    fillFilters(defaultFilter(data_));
    redraw();
}

void ChartWindow::appendRecord(const HistoryRecord& record) {
    records_.push_back(record);
    kana_.reset(); // the save wrote the round's question lines too
    addProgress(data_, record, static_cast<int>(records_.size()));
    fillFilters(filter());
    redraw();
}

// The choices are the sets and lengths found in the history, and all of them.
void ChartWindow::fillFilters(const ProgressFilter& chosen) {
    const QSignalBlocker blockMode(cboMode), blockLength(cboLength);
    cboMode->clear();
    cboMode->addItem(kAll);
    for (const QString& set : data_.sets)
        cboMode->addItem(set, set);
    cboMode->setCurrentIndex(chosen.set ? std::max(0, cboMode->findData(*chosen.set)) : 0);
    cboLength->clear();
    cboLength->addItem(kAll);
    for (int seconds : data_.lengths)
        cboLength->addItem(QStringLiteral("%1秒").arg(seconds), seconds);
    cboLength->setCurrentIndex(chosen.seconds ? std::max(0, cboLength->findData(*chosen.seconds))
                                              : 0);
}

ProgressFilter ChartWindow::filter() const {
    ProgressFilter f;
    if (cboMode->currentIndex() > 0) f.set = cboMode->currentData().toString();
    if (cboLength->currentIndex() > 0) f.seconds = cboLength->currentData().toInt();
    return f;
}

ProgressView ChartWindow::view() const {
    return cboView->currentIndex() == 1 ? ProgressView::Speed : ProgressView::Score;
}

bool ChartWindow::kanaShown() const {
    return cboView->currentIndex() == 2;
}

void ChartWindow::redraw() {
    if (kanaShown()) {
        showKana();
        return;
    }
    series_ = progressSeries(data_, view(), filter());
    lblSummary->setText(progressSummary(data_, series_, view()));
    cmdSavePng->setEnabled(!series_.values.isEmpty());
    if (series_.values.isEmpty()) {
        lblEmpty->setText(data_.points.empty()
                              ? QStringLiteral("グラフにできる記録がありません。"
                                               "回を保存すると、ここに成績が表れます。")
                              : QStringLiteral("このモードとプレイ秒数の記録はありません。"
                                               "モードかプレイ秒数を変えてください。"));
        pages->setCurrentWidget(lblEmpty);
        return;
    }
    // Each change of an axis lays out every series again: empty ones cost nothing.
    for (QXYSeries* s : std::initializer_list<QXYSeries*>{values, average, rate, best})
        s->clear();
    const bool speed = view() == ProgressView::Speed;
    values->setName(speed ? QStringLiteral("速さ（文字/秒）") : QStringLiteral("得点"));
    qint64 lo = static_cast<qint64>(series_.values.front().x()), hi = lo;
    for (const QPointF& p : series_.values) {
        lo = std::min(lo, static_cast<qint64>(p.x()));
        hi = std::max(hi, static_cast<qint64>(p.x()));
    }
    const DateAxis dates = dateAxis(lo, hi);
    axisDate->setFormat(dates.format);
    axisDate->setRange(QDateTime::fromMSecsSinceEpoch(dates.from),
                       QDateTime::fromMSecsSinceEpoch(dates.to));
    const double span = std::max(series_.highest - series_.lowest, speed ? 0.1 : 1.0);
    axisValue->setTickCount(kValueAxisTicks);
    axisValue->setRange(std::min(0.0, series_.lowest - span / 20), series_.highest + span / 20);
    axisValue->applyNiceNumbers();
    if (!speed && axisValue->max() - axisValue->min() < kValueAxisTicks - 1) {
        // Scores are whole: ticks closer than 1 apart would repeat a label.
        const double from = std::floor(axisValue->min()), to = std::ceil(axisValue->max());
        axisValue->setRange(from, to);
        axisValue->setTickCount(static_cast<int>(to - from) + 1);
    }
    axisValue->setLabelFormat(speed ? QStringLiteral("%.2f") : QStringLiteral("%d"));
    axisValue->setTitleText(speed ? QStringLiteral("文字/秒") : QStringLiteral("得点"));
    pages->setCurrentWidget(chartView);
    refill();
}

// Thousands of rounds would cost Qt Charts most of a second to draw, though
// the screen shows no more of them than it has pixels: the series get what
// the plot can show, and the full data stays for the summary and the mouse.
void ChartWindow::refill() {
    if (series_.values.isEmpty()) return;
    const QRectF plot = chart->plotArea();
    const int columns = std::max(200, static_cast<int>(plot.width()));
    const int rows = std::max(100, static_cast<int>(plot.height()));
    const QRectF range(axisDate->min().toMSecsSinceEpoch(), axisValue->min(),
                       axisDate->max().toMSecsSinceEpoch() - axisDate->min().toMSecsSinceEpoch(),
                       axisValue->max() - axisValue->min());
    // A dot is several pixels wide: one per two pixels each way looks the same.
    values->replace(thinDots(series_.values, range, columns / 2, rows / 2));
    average->replace(thinLine(series_.average, range, columns));
    const QRectF rateRange(range.left(), 0, range.width(), 100);
    rate->replace(thinLine(series_.rate, rateRange, columns));
    best->replace(QList<QPointF>{series_.values[series_.best]});
}

QString ChartWindow::rowText(int point) const {
    const int row =
        data_.points[static_cast<size_t>(series_.points[static_cast<size_t>(point)])].row;
    const HistoryRecord& record = records_[static_cast<size_t>(row - 1)];
    QString head, body;
    const auto column = [&](const HistoryColumnLook& look, const QString& cell) {
        head += QStringLiteral("<th style=\"white-space:pre\">%1</th>").arg(look.header());
        body += QStringLiteral("<td style=\"white-space:pre\" align=\"right\">%1</td>")
                    .arg(cell.toHtmlEscaped());
    };
    column(kRowNumberLook, QString::number(row));
    for (const HistoryItem& item : kHistoryItems)
        column(historyColumnLook(item.column), historyCell(record, item.column));
    return QStringLiteral(
               "<table cellspacing=\"0\" cellpadding=\"2\"><tr>%1</tr><tr>%2</tr></table>")
        .arg(head, body);
}

void ChartWindow::loadKana() {
    kanaError_.clear();
    kana_ = std::make_shared<KanaStats>(records_);
    try {
        kana_->setBadLines(readQuestionLog(
            questionLog_, [this](const QuestionRecord& line) { kana_->add(line); }));
    } catch (const Error& e) {
        // The chart goes on: only this view lacks its figures.
        kana_ = std::make_shared<KanaStats>();
        kanaError_ = e.message();
    }
}

void ChartWindow::showKana() {
    if (!kana_) loadKana();
    KanaTable table = kanaTable(*kana_, filter());
    const QString summary = kanaError_.isEmpty() ? kanaSummary(*kana_, table) : kanaError_;
    lblSummary->setText(summary);
    cmdSavePng->setEnabled(!table.rows.empty());
    if (table.rows.empty()) {
        lblEmpty->setText(summary);
        pages->setCurrentWidget(lblEmpty);
    } else {
        pages->setCurrentWidget(kanaView);
    }
    kanaView->setFigures(kana_, std::move(table));
}

bool ChartWindow::savePng(const QString& file) const {
    return pages->currentWidget()->grab().save(file, "PNG");
}

void ChartWindow::askAndSave() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("成績グラフを PNG で保存"),
        // The pictures folder, not the game's own, where the player keeps pictures.
        QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
            .filePath(QStringLiteral("成績グラフ.png")),
        QStringLiteral("PNG 画像 (*.png)"));
    if (file.isEmpty() || savePng(file)) return;
    messages_.show(this,
                   QStringLiteral("ファイル「%1」に書き込めません。"
                                  "書き込める場所と名前を選んでください。")
                       .arg(file),
                   kTitle, MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning);
}

} // namespace kb
