#pragma once

#include "core/history_record.h"

#include <functional>
#include <memory>
#include <QPointer>
#include <QString>
#include <vector>

class QPluginLoader;
class QWidget;

namespace kb {

class MessageBoxes;
class ProgressChartModule;
class ProgressChartWindow;

// The progress chart, from its module beside the program, loaded the first
// time the player asks for it. Without the module the game plays on.
class ProgressChart {
public:
    static constexpr const char* kModuleName = "kotobaru-chart.so";
    // moduleFile empty: the module beside the program.
    explicit ProgressChart(QString moduleFile = {});
    ~ProgressChart();
    ProgressChart(const ProgressChart&) = delete;
    ProgressChart& operator=(const ProgressChart&) = delete;

    const QString& moduleFile() const { return file_; }
    // Whether the module is there and has not failed to load.
    bool installed() const;
    // Shows the chart, filled from records when it opens anew, with the
    // question lines of questionLog when the player turns to them; the chart
    // tells the player through messages. Throws Error, naming the module, when
    // it cannot be loaded.
    void open(QWidget* parent, MessageBoxes& messages,
              const std::function<std::vector<HistoryRecord>()>& records,
              const QString& questionLog = {});
    // Keeps an open chart in step with the history.
    void appended(const HistoryRecord& record);
    void cleared();
    void close();
    QWidget* window() const { return widget_; }

private:
    QString file_;
    std::unique_ptr<QPluginLoader> loader_;
    ProgressChartModule* module_ = nullptr;
    bool failed_ = false;
    QPointer<QWidget> widget_;
    ProgressChartWindow* window_ = nullptr; // valid while widget_ is
};

} // namespace kb
