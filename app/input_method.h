#pragma once

#include <memory>
#include <QPointer>
#include <QString>
#include <QWidget>

class QProcessEnvironment;
class QVariant;

namespace kb {

// The desktop's input method (fcitx5 or ibus), when Qt's input context talks to
// one. The answer box asks it for hiragana whenever the box takes the focus.
class SystemInputMethod {
public:
    virtual ~SystemInputMethod() = default;
    // Switches the method on, in hiragana, for field while field has the focus.
    virtual void turnOn(QWidget* field) = 0;
};

// The input method Qt's input context (QT_IM_MODULE) talks to, if it is running;
// nullptr otherwise, and the answer box composes kana by itself.
std::unique_ptr<SystemInputMethod> connectSystemInputMethod();

// ibus on the bus at address.
std::unique_ptr<SystemInputMethod> connectIBus(const QString& address);

// The checked item of Mozc's input-mode menu ("InputMode.Hiragana") in the
// property, or list of them, that its engine announces; empty if none.
QString mozcInputMode(const QVariant& announced);

// Where ibus keeps the address of its bus for this display, as ibus itself
// works it out.
QString ibusAddressFile(const QProcessEnvironment& env, const QString& machineId);

} // namespace kb
