#include "app/progress_chart_module.h"
#include "chart_window.h"

#include <QObject>

namespace kb {

class ChartModule : public QObject, public ProgressChartModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID KbProgressChartModule_iid)
    Q_INTERFACES(kb::ProgressChartModule)
public:
    ProgressChartWindow* createWindow(QWidget* parent, MessageBoxes& messages) override {
        return new ChartWindow(parent, messages);
    }
};

} // namespace kb

#include "chart_module.moc"
