#include "history_grid.h"

#include "layout_units.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace kb {
namespace {

// Draws the fixed first column like the header: button face, centred.
class FixedColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->fillRect(option.rect, option.palette.button());
        painter->setPen(option.palette.buttonText().color());
        painter->drawText(option.rect, Qt::AlignCenter, index.data().toString());
    }
};

} // namespace

HistoryGrid::HistoryGrid(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setItemDelegateForColumn(0, new FixedColumnDelegate(this));
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setSelectionMode(QAbstractItemView::NoSelection);
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

void HistoryGrid::setRows(int rows) { model_.setDataRowCount(rows - 1); }

void HistoryGrid::setText(const QString& text) {
    if (row_ == 0)
        model_.setHeaderText(col_, text);
    else
        model_.setCell(row_ - 1, col_, text);
}

QString HistoryGrid::text() const { return textAt(row_, col_); }

QString HistoryGrid::textAt(int row, int col) const {
    return row == 0 ? model_.headerText(col) : model_.cell(row - 1, col);
}

void HistoryGrid::setTopRow(int row) {
    if (row < 1 || row >= rows())
        return;
    // Before the grid is first shown it has no scroll range yet; apply it then.
    pendingTopRow_ = isVisible() ? 0 : row;
    updateGeometries();
    scrollTo(model_.index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void HistoryGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (pendingTopRow_ > 0 && pendingTopRow_ < rows()) {
        updateGeometries();
        scrollTo(model_.index(pendingTopRow_ - 1, 0), QAbstractItemView::PositionAtTop);
    }
    pendingTopRow_ = 0;
}

int HistoryGrid::topRow() const {
    const int r = rowAt(0);
    return r < 0 ? 0 : r + 1;
}

void HistoryGrid::setColWidth(int col, int twips) { setColumnWidth(col, px(twips)); }

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

} // namespace kb
