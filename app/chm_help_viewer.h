#pragma once

#include "help_viewer.h"

#include <QPointer>

namespace kb {

class ChmHelpWindow;

// Shows a compiled help file in one non-modal window of its own: a child of the
// owner with the Qt::Window flag, so that it stays above the game and goes
// away with it. A help file that cannot be read is said so in that window.
class ChmHelpViewer final : public HelpViewer {
public:
    ChmHelpViewer();
    ~ChmHelpViewer() override;
    ChmHelpViewer(const ChmHelpViewer&) = delete;
    ChmHelpViewer& operator=(const ChmHelpViewer&) = delete;

    void displayTopic(QWidget* owner, const QString& helpFile) override;
    void closeAll(QWidget* owner, const QString& helpFile) override;

    // The open help window, or null.
    QWidget* window() const;

private:
    QPointer<ChmHelpWindow> window_;
};

} // namespace kb
