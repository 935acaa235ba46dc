#pragma once

#include <cstdint>
#include <QLineEdit>

namespace kb {

class SystemInputMethod;

// The answer box. Enter goes first to keyPress, whose receiver may consume it
// by setting the key code to 0; connect it directly, so the change comes back.
//
// It stands in for an input method's hiragana mode on desktops without one:
// letters typed directly compose hiragana, with the letters not yet forming a
// kana shown underlined after the cursor, as an input method shows them. Text
// that a system input method commits goes in as it comes.
//
// With the desktop's input method at hand the box leaves typing to it: it
// switches it on whenever the box takes the focus, and neither composes kana
// nor takes 半角/全角 and Ctrl+Space, which are the method's keys then.
class AnswerBox : public QLineEdit {
    Q_OBJECT
public:
    enum class Entry { Hiragana, Direct };

    explicit AnswerBox(QWidget* parent = nullptr);
    void setSystemInputMethod(SystemInputMethod* method);

    Entry entry() const { return entry_; }
    void setEntry(Entry entry);
    // Letters typed that do not form a kana yet; not part of text().
    const QString& pending() const { return pending_; }
    // Sets the text and drops any letters still pending.
    void setAnswer(const QString& text);

Q_SIGNALS:
    void keyPress(std::int16_t& keyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool composes(const QKeyEvent* event) const;
    void setPending(const QString& pending);
    // Ends composition: a pending n becomes ん, other letters stay as typed.
    void commitPending();
    void convertAll(QString (*convert)(QStringView));

    SystemInputMethod* system_ = nullptr;
    Entry entry_ = Entry::Hiragana;
    QString pending_;
    bool systemComposing_ = false;
};

} // namespace kb
