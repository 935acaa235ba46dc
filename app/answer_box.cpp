#include "answer_box.h"

#include "core/kana_convert.h"
#include "core/romaji.h"
#include "input_method.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextCharFormat>

namespace kb {

namespace {

// 半角/全角 and Ctrl+Space switch between hiragana and direct entry, as they
// switch an input method.
bool switchesEntry(const QKeyEvent& event) {
    const int key = event.key();
    return key == Qt::Key_Zenkaku_Hankaku || key == Qt::Key_Zenkaku || key == Qt::Key_Hankaku ||
           (key == Qt::Key_Space && (event.modifiers() & Qt::ControlModifier));
}

// F6 to F10 turn the whole answer into one script, as an input method's
// conversion keys do; null for any other key.
using Conversion = QString (*)(QStringView);
Conversion conversionFor(int key) {
    switch (key) {
    case Qt::Key_F6:
        return &toHiragana;
    case Qt::Key_F7:
        return &toKatakana;
    case Qt::Key_F8:
        return &toHalfWidthKatakana;
    case Qt::Key_F9:
        return &toFullWidthLatin;
    case Qt::Key_F10:
        return &toHalfWidthLatin;
    default:
        return nullptr;
    }
}

} // namespace

AnswerBox::AnswerBox(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhPreferLowercase | Qt::ImhNoAutoUppercase);
}

void AnswerBox::setSystemInputMethod(SystemInputMethod* method) {
    system_ = method;
    setEntry(system_ ? Entry::Direct : Entry::Hiragana);
}

void AnswerBox::setEntry(Entry entry) {
    if (entry != entry_) commitPending();
    entry_ = entry;
    setToolTip(system_ ? QStringLiteral("入力メソッドで入力")
               : entry_ == Entry::Hiragana
                   ? QStringLiteral("ひらがな入力（半角/全角キーで直接入力）")
                   : QStringLiteral("直接入力（半角/全角キーでひらがな入力）"));
}

void AnswerBox::setAnswer(const QString& text) {
    setPending(QString());
    setText(text);
}

void AnswerBox::setPending(const QString& pending) {
    if (pending == pending_) return;
    pending_ = pending;
    // Our own preedit text, handed straight to the line edit, not through the
    // override that watches the system input method.
    QList<QInputMethodEvent::Attribute> attributes;
    if (!pending_.isEmpty()) {
        QTextCharFormat underline;
        underline.setFontUnderline(true);
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, 0,
                                                   static_cast<int>(pending_.size()), underline);
        attributes << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor,
                                                   static_cast<int>(pending_.size()), 1);
    }
    QInputMethodEvent event(pending_, attributes);
    QLineEdit::inputMethodEvent(&event);
}

void AnswerBox::commitPending() {
    if (pending_.isEmpty()) return;
    const QString letters = finishRomaji(pending_);
    setPending(QString());
    insert(letters);
}

void AnswerBox::convertAll(QString (*convert)(QStringView)) {
    const QString whole = text() + pending_;
    setPending(QString());
    setText(convert(whole));
}

bool AnswerBox::composes(const QKeyEvent* event) const {
    if (system_ || entry_ != Entry::Hiragana || systemComposing_) return false;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString t = event->text();
    return t.size() == 1 && t[0].unicode() > 0x20 && t[0].unicode() < 0x7F;
}

void AnswerBox::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (!system_ && switchesEntry(*event)) {
        setEntry(entry_ == Entry::Hiragana ? Entry::Direct : Entry::Hiragana);
        event->accept();
        return;
    }
    if (composes(event)) {
        // The letter joins those pending; what forms a kana goes into the text.
        const Composed c = composeRomaji(pending_, event->text()[0]);
        setPending(QString());
        if (!c.kana.isEmpty()) insert(c.kana);
        setPending(c.pending);
        event->accept();
        return;
    }
    // While letters are pending, Backspace takes back the last and Esc drops them all.
    if (!pending_.isEmpty() && (key == Qt::Key_Backspace || key == Qt::Key_Escape)) {
        setPending(key == Qt::Key_Backspace ? backspaceRomaji(pending_) : QString());
        event->accept();
        return;
    }
    if (const Conversion convert = conversionFor(key)) {
        convertAll(convert);
        return;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && systemComposing_) {
        // This Enter only confirms the input method's conversion.
        QLineEdit::keyPressEvent(event);
        return;
    }
    // Any other key ends our composition first; Enter then judges the finished word.
    commitPending();
    if (enter) {
        std::int16_t keyAscii = 13;
        Q_EMIT keyPress(keyAscii);
        if (keyAscii == 0) {
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void AnswerBox::inputMethodEvent(QInputMethodEvent* event) {
    commitPending();
    systemComposing_ = !event->preeditString().isEmpty();
    QLineEdit::inputMethodEvent(event);
}

void AnswerBox::focusInEvent(QFocusEvent* event) {
    if (system_)
        system_->turnOn(this);
    else
        setEntry(Entry::Hiragana);
    QLineEdit::focusInEvent(event);
}

void AnswerBox::focusOutEvent(QFocusEvent* event) {
    commitPending();
    QLineEdit::focusOutEvent(event);
}

void AnswerBox::mousePressEvent(QMouseEvent* event) {
    commitPending();
    QLineEdit::mousePressEvent(event);
}

} // namespace kb
