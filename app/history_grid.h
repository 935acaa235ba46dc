#pragma once

#include "history_model.h"

#include <QTableView>

namespace kb {

// The history table: a fixed header row and a fixed first column over a
// HistoryModel, with the grid operations the window uses. Row 0 is the header
// row, so data row r is model row r - 1; sizes are in twips.
class HistoryGrid : public QTableView {
    Q_OBJECT
public:
    explicit HistoryGrid(QWidget* parent = nullptr);

    HistoryModel& model() { return model_; }
    const HistoryModel& model() const { return model_; }

    int rows() const { return model_.rowCount() + 1; }
    void setRows(int rows);
    void setHeaderText(int col, const QString& text) { model_.setHeaderText(col, text); }
    QString textAt(int row, int col) const;
    void setTopRow(int row);
    int topRow() const;
    void setColWidth(int col, int twips);
    void setHeaderAlignment(int col, Qt::Alignment alignment) {
        model_.setHeaderAlignment(col, alignment);
    }
    void setDataAlignment(int col, Qt::Alignment alignment) {
        model_.setDataAlignment(col, alignment);
    }
    void setFontSize(double points);
    // The empty table: header texts, widths, alignments and font, in that order.
    void layOutColumns();

    // Fills the grid from the history file at start-up, or adds one saved
    // record as the next row; either way the newest row is brought into view
    // once the grid holds more than 7 rows, the header row included.
    void loadFile(const QString& historyFile, KnownEnds* ends = nullptr);
    void appendRecord(const HistoryRecord& record);

Q_SIGNALS:
    // The right button, the Menu key or Shift+F10 asks for the grid's menu,
    // to be shown at a global position.
    void menuRequested(QPoint globalPos);

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void updateRowHeight();
    void showNewestRow();
    void scrollToRow(int row);
    bool hasMenu() const;

    HistoryModel model_;
    int pendingTopRow_ = 0;
};

} // namespace kb
