#include "progress_chart.h"

#include "core/error.h"
#include "progress_chart_module.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>
#include <QWidget>

namespace kb {

ProgressChart::ProgressChart(QString moduleFile)
    : file_(moduleFile.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                       QLatin1String(kModuleName)
                                 : std::move(moduleFile)) {}

// The module stays loaded to the end: its code may still run as windows close.
ProgressChart::~ProgressChart() = default;

bool ProgressChart::installed() const {
    return module_ || (!failed_ && QFileInfo(file_).isFile());
}

void ProgressChart::open(QWidget* parent, MessageBoxes& messages,
                         const std::function<std::vector<HistoryRecord>()>& records,
                         const QString& questionLog) {
    if (!module_) {
        if (!loader_) loader_ = std::make_unique<QPluginLoader>(file_);
        module_ = qobject_cast<ProgressChartModule*>(loader_->instance());
        if (!module_) {
            failed_ = true;
            throw Error(Error::Kind::CannotRead, file_,
                        QStringLiteral("成績グラフの部品として読み込めませんでした（%1）。")
                            .arg(loader_->errorString()))
                .advise(QStringLiteral("ゲームはこのまま続けられます。成績グラフを使うには、"
                                       "ゲームを入れ直してください。"));
        }
    }
    if (!widget_) {
        window_ = module_->createWindow(parent, messages);
        widget_ = window_->widget();
        widget_->setAttribute(Qt::WA_DeleteOnClose);
        window_->setQuestionLog(questionLog);
        window_->setRecords(records());
    }
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void ProgressChart::appended(const HistoryRecord& record) {
    if (widget_) window_->appendRecord(record);
}

void ProgressChart::cleared() {
    if (widget_) window_->setRecords({});
}

void ProgressChart::close() {
    if (widget_) widget_->close();
}

} // namespace kb
