#pragma once

#include "drill/kana_stats.h"

#include <memory>
#include <QAbstractTableModel>
#include <QWidget>

class QTableView;

namespace kb {

// The questions of the rounds shown as table rows, in the order of the
// column last sorted by: sorting sorts an index, not the rows.
class KanaTableModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(std::shared_ptr<const KanaStats> stats, KanaTable table);
    const KanaTable& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    std::shared_ptr<const KanaStats> stats_ = nullptr;
    KanaTable table_;
    std::vector<int> order_;
    KanaFigure by_ = KanaFigure::Points;
    bool descending_ = false;
};

// The one-kana questions in a gojūon table (a column for each of あ行, か行, …), each cell coloured
// by its points per appearance; the figures come as its tooltip.
class KanaGrid : public QWidget {
public:
    explicit KanaGrid(QWidget* parent);
    void setTable(std::shared_ptr<const KanaStats> stats, const KanaTable* table);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    // The cell colour for points per appearance; paler under three appearances.
    static QColor colourOf(double points, bool few);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Cell {
        int column, row;
        QString kana;
        const KanaRow* figures; // null: not asked
    };
    int cellSize(int width) const;
    QRect cellRect(const Cell& cell) const;
    void paintLegend(QPainter& painter, int top) const;

    std::shared_ptr<const KanaStats> stats_ = nullptr;
    std::vector<Cell> cells_;
    int columns_ = 0;
};

// The grid beside the table, as the chart window's かな別 page.
class KanaView : public QWidget {
public:
    explicit KanaView(QWidget* parent);
    // The view keeps stats while it shows them.
    void setFigures(std::shared_ptr<const KanaStats> stats, KanaTable table);
    QTableView* tableView() const { return table_; }

private:
    KanaTableModel* model_;
    KanaGrid* grid_;
    QTableView* table_;
};

} // namespace kb
