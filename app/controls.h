#pragma once

// Controls the toolkit lacks as such: the picture toggle with a third state,
// combo boxes that report only a pick from their list, filled rectangles and
// lines, a frame that reports clicks, and a label that wraps between any two
// characters.

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

namespace kb {

// A check box drawn as a toggle button with a picture. Values 0 (off), 1 (on)
// and 2 (greyed, from a hand-edited file). Every change of the value, by a
// click or by the program, emits changed().
class PictureToggle : public QToolButton {
    Q_OBJECT
public:
    explicit PictureToggle(QWidget* parent = nullptr);
    int value() const { return value_; }
    void setValue(int value); // 0..2; anything else throws an invalid-value error

Q_SIGNALS:
    void changed();

protected:
    void nextCheckState() override;
    void paintEvent(QPaintEvent* event) override;

private:
    int value_ = 0;
};

// A drop-down combo box with an edit field. picked() fires when an item is
// chosen from the list, with the mouse or the arrow keys; typing and Enter in
// the edit field do not fire it, and the mouse wheel chooses nothing.
class PickComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PickComboBox(QWidget* parent = nullptr);

Q_SIGNALS:
    void picked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool typing_ = false;
};

// A filled rectangle, or a line when one pixel high.
class Shape : public QWidget {
public:
    Shape(const QColor& colour, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

// A captioned frame that reports a click on itself (not on its children).
class ClickFrame : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A label that, with word wrap on, breaks its text between any two characters
// where the next one would not fit, as Japanese text is set: a tag one
// character wide reads down, a character a line. Qt's own wrapping keeps a
// leading full-width space with the character after it and clips that one.
// Lines start at the top: the tags are all placed top left.
class TagLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kb
