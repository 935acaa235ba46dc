#pragma once

#include <QString>

class QWidget;

namespace kb {

// The compiled-help viewer the window asks to show and close help.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Shows the default topic of helpFile in a window owned by owner.
    virtual void displayTopic(QWidget* owner, const QString& helpFile) = 0;
    // Closes every help window this process opened.
    virtual void closeAll(QWidget* owner, const QString& helpFile) = 0;
};

} // namespace kb
