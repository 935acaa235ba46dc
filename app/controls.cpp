#include "controls.h"

#include "core/error.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QWheelEvent>

namespace kb {

PictureToggle::PictureToggle(QWidget* parent) : QToolButton(parent) {
    setCheckable(true);
    setAutoRaise(false);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureToggle::setValue(int value) {
    if (value < 0 || value > 2) throw Error(Error::Kind::InvalidValue, QString::number(value));
    if (value == value_) return;
    value_ = value;
    setChecked(value == 1);
    update();
    Q_EMIT changed();
}

void PictureToggle::nextCheckState() {
    // A click turns the switch on from off or greyed, and off from on.
    setValue(value_ == 1 ? 0 : 1);
}

void PictureToggle::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionToolButton opt;
    initStyleOption(&opt);
    if (value_ == 2) {
        // The third state: half pressed, picture greyed.
        opt.state |= QStyle::State_Sunken;
        opt.icon = QIcon(icon().pixmap(iconSize(), QIcon::Disabled));
    }
    p.drawComplexControl(QStyle::CC_ToolButton, opt);
}

PickComboBox::PickComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::activated, this, [this] {
        if (!typing_) Q_EMIT picked();
    });
}

void PickComboBox::keyPressEvent(QKeyEvent* event) {
    // Arrow and page keys step through the list and count as a choice; every
    // other key edits the text, and Enter there would otherwise activate a match.
    const int key = event->key();
    const bool listKey = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                         key == Qt::Key_PageDown || key == Qt::Key_F4;
    typing_ = !listKey;
    QComboBox::keyPressEvent(event);
    typing_ = false;
}

void PickComboBox::wheelEvent(QWheelEvent* event) {
    // A wheel step on the way to somewhere else would change the round length
    // and rewrite the settings, even in the middle of a round.
    event->ignore();
}

Shape::Shape(const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), colour_);
}

void ClickFrame::mousePressEvent(QMouseEvent* event) {
    QGroupBox::mousePressEvent(event);
    Q_EMIT clicked();
}

} // namespace kb
