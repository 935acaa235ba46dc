#pragma once

#include <QString>

class QWidget;

namespace kb {

// Modal message boxes, behind an interface so tests can answer them.
class MessageBoxes {
public:
    enum class Buttons { Ok, OkCancel };
    enum class Icon { Warning, Information, Critical };
    enum class Answer { Ok, Cancel };

    virtual ~MessageBoxes() = default;
    virtual Answer show(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                        Icon icon) = 0;
};

class QtMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget* parent, const QString& text, const QString& title, Buttons buttons,
                Icon icon) override;
};

} // namespace kb
