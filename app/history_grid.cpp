#include "history_grid.h"

#include "history_columns.h"
#include "layout_units.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace kb {
namespace {

// Cells as a flexible grid draws them: text with a one-pixel margin, clipped
// rather than elided, and the fixed first column on the button face like the header.
class CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(bool fixed, QObject* parent) : QStyledItemDelegate(parent), fixed_(fixed) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        if (fixed_) painter->fillRect(option.rect, option.palette.button());
        painter->setPen(fixed_ ? option.palette.buttonText().color()
                               : option.palette.text().color());
        painter->setFont(option.font);
        const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        painter->setClipRect(option.rect);
        painter->drawText(option.rect.adjusted(1, 0, -1, 0), static_cast<int>(align),
                          index.data().toString());
        painter->restore();
    }

private:
    bool fixed_;
};

// The header row has a fixed height, so its size hint is that height: Qt would
// otherwise lay out every header text again at each change of the grid.
class FixedHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;
    QSize sizeHint() const override { return {0, minimumHeight()}; }
};

} // namespace

HistoryGrid::HistoryGrid(QWidget* parent) : QTableView(parent) {
    setHorizontalHeader(new FixedHeader(Qt::Horizontal, this));
    setModel(&model_);
    setItemDelegate(new CellDelegate(false, this));
    setItemDelegateForColumn(0, new CellDelegate(true, this));
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(128,128,128); }"
                                 "QHeaderView::section { background: palette(button); border: 0;"
                                 " border-right: 1px solid rgb(192,192,192);"
                                 " border-bottom: 1px solid rgb(192,192,192); padding: 0 2px; }"));
    updateRowHeight();
}

void HistoryGrid::setRows(int rows) {
    model_.setDataRowCount(rows - 1);
}

QString HistoryGrid::textAt(int row, int col) const {
    return row == 0 ? model_.headerText(col) : model_.cell(row - 1, col);
}

void HistoryGrid::layOutColumns() {
    setFontSize(11);
    setRows(1);
    const auto layOut = [this](int col, const HistoryColumnLook& look) {
        setHeaderText(col, look.header());
        setColWidth(col, look.width);
        setHeaderAlignment(col, Qt::AlignCenter);
        setDataAlignment(col, look.alignment);
    };
    layOut(0, kRowNumberLook);
    for (const HistoryItem& item : kHistoryItems)
        layOut(HistoryModel::columnOf(item.column), historyColumnLook(item.column));
}

void HistoryGrid::loadFile(const QString& historyFile, KnownEnds* ends) {
    model_.load(historyFile, ends);
    showNewestRow();
}

void HistoryGrid::appendRecord(const HistoryRecord& record) {
    model_.appendRecord(record);
    showNewestRow();
}

void HistoryGrid::showNewestRow() {
    if (rows() > 7) setTopRow(rows() - 1);
}

void HistoryGrid::setTopRow(int row) {
    if (row < 1 || row >= rows()) return;
    // Before the grid is first shown it has no scroll range yet; apply it then.
    pendingTopRow_ = isVisible() ? 0 : row;
    scrollToRow(row);
}

void HistoryGrid::scrollToRow(int row) {
    // Scrolling by whole rows, the scroll bar's value is the top row's index:
    // no need to ask the header for the position of every row above it.
    updateGeometries();
    verticalScrollBar()->setValue(row - 1);
}

void HistoryGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (pendingTopRow_ > 0 && pendingTopRow_ < rows()) scrollToRow(pendingTopRow_);
    pendingTopRow_ = 0;
}

int HistoryGrid::topRow() const {
    const int r = rowAt(0);
    return r < 0 ? 0 : r + 1;
}

void HistoryGrid::setColWidth(int col, int twips) {
    setColumnWidth(col, px(twips));
}

void HistoryGrid::setFontSize(double points) {
    QFont f = font();
    f.setPixelSize(fontPixels(points));
    setFont(f);
    horizontalHeader()->setFont(f);
    updateRowHeight();
}

void HistoryGrid::updateRowHeight() {
    const int h = fontMetrics().height() + 4;
    verticalHeader()->setDefaultSectionSize(h);
    verticalHeader()->setMinimumSectionSize(h);
    horizontalHeader()->setFixedHeight(h);
}

bool HistoryGrid::hasMenu() const {
    return isSignalConnected(QMetaMethod::fromSignal(&HistoryGrid::menuRequested));
}

void HistoryGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!hasMenu()) return QTableView::contextMenuEvent(event);
    event->accept();
    Q_EMIT menuRequested(event->reason() == QContextMenuEvent::Mouse
                             ? event->globalPos()
                             : viewport()->mapToGlobal(QPoint(viewport()->width() / 3, 0)));
}

// Qt turns the Menu key into a menu request on some platforms only, and
// Shift+F10, the other key players know for it, on none of ours.
void HistoryGrid::keyPressEvent(QKeyEvent* event) {
    const bool shiftF10 = event->key() == Qt::Key_F10 &&
                          (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    if (!hasMenu() || (event->key() != Qt::Key_Menu && !shiftF10))
        return QTableView::keyPressEvent(event);
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), QPoint(), event->modifiers());
    contextMenuEvent(&request);
}

} // namespace kb
