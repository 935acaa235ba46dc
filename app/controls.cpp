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
    // Sized already, the box need not measure its items to size itself when it
    // becomes editable; the window places it anyway.
    resize(100, 20);
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

void TagLabel::paintEvent(QPaintEvent* event) {
    if (!wordWrap()) return QLabel::paintEvent(event);
    const QRect area = contentsRect();
    const QFontMetrics metrics(font());
    QStringList lines{QString()};
    for (const QChar c : text()) {
        if (!lines.last().isEmpty() && metrics.horizontalAdvance(lines.last() + c) > area.width())
            lines << QString();
        lines.last() += c;
    }
    QPainter p(this);
    drawFrame(&p);
    p.setPen(palette().color(foregroundRole()));
    int y = area.top();
    for (const QString& line : lines) {
        p.drawText(QRect(area.left(), y, area.width(), metrics.height()),
                   static_cast<int>(alignment() & Qt::AlignHorizontal_Mask), line);
        y += metrics.height();
    }
}

void ClickFrame::mousePressEvent(QMouseEvent* event) {
    QGroupBox::mousePressEvent(event);
    Q_EMIT clicked();
}

} // namespace kb
