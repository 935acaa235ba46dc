#pragma once

#include "app/message_boxes.h"
#include "app/progress_chart_module.h"
#include "drill/kana_stats.h"
#include "drill/progress.h"

#include <memory>
#include <QWidget>

class QChart;
class QComboBox;
class QDateTimeAxis;
class QLabel;
class QLayout;
class QLineSeries;
class QScatterSeries;
class QStackedWidget;
class QValueAxis;

namespace kb {

class KanaView;
class PointChartView;

// The progress chart: the saved rounds of one set and round length, by date,
// as score or speed, with the mean of the last ten, the best round and the
// rate of accepted answers; or, as かな別, the figures of each question. A
// summary under it says the same in words.
class ChartWindow : public QWidget, public ProgressChartWindow {
public:
    // A failed save is reported through messages.
    ChartWindow(QWidget* parent, MessageBoxes& messages);

    QWidget* widget() override { return this; }
    void setRecords(std::vector<HistoryRecord> records) override;
    void appendRecord(const HistoryRecord& record) override;
    void setQuestionLog(const QString& path) override { questionLog_ = path; }

    // The chart as a PNG file; false when it cannot be written.
    bool savePng(const QString& file) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLayout* buildControls();
    void buildSeries();
    void buildAxes();
    QWidget* buildPages();
    void buildSummary();
    void fillFilters(const ProgressFilter& chosen);
    ProgressFilter filter() const;
    ProgressView view() const;
    bool kanaShown() const;
    void redraw();
    // The question lines, read the first time they are shown after the records changed.
    void showKana();
    void loadKana();
    void refill();
    void askAndSave();
    // The row of the grid that shows the record of a point, as a small table.
    QString rowText(int point) const;

    MessageBoxes& messages_;
    std::vector<HistoryRecord> records_;
    ProgressData data_;
    ProgressSeries series_;
    QString questionLog_;
    std::shared_ptr<KanaStats> kana_; // null until shown, and again when the records change
    QString kanaError_;

    QComboBox* cboView;
    QComboBox* cboMode;
    QComboBox* cboLength;
    QWidget* cmdSavePng;
    QStackedWidget* pages;
    PointChartView* chartView;
    QLabel* lblEmpty;
    KanaView* kanaView;
    QLabel* lblSummary;
    QChart* chart;
    QLineSeries* values;
    QLineSeries* average;
    QScatterSeries* best;
    QLineSeries* rate;
    QDateTimeAxis* axisDate;
    QValueAxis* axisValue;
    QValueAxis* axisRate;
};

} // namespace kb
