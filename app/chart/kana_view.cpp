#include "kana_view.h"

#include <algorithm>
#include <cmath>
#include <QBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QTableView>
#include <QToolTip>

namespace kb {

namespace {

constexpr int kCell = 44, kGap = 3, kLegend = 40;

const std::array<QString, kKanaFigureCount> kHeaders = {
    QStringLiteral("問題"),  QStringLiteral("出題回数"), QStringLiteral("正解/回"),
    QStringLiteral("点/回"), QStringLiteral("語頭"),     QStringLiteral("語尾"),
    QStringLiteral("語中"),  QStringLiteral("不正解"),   QStringLiteral("最初の正解（秒）"),
};

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

} // namespace

void KanaTableModel::setTable(std::shared_ptr<const KanaStats> stats, KanaTable table) {
    beginResetModel();
    stats_ = std::move(stats);
    table_ = std::move(table);
    order_ = kanaOrder(table_, by_, descending_);
    endResetModel();
}

int KanaTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int KanaTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kKanaFigureCount;
}

QVariant KanaTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !stats_) return {};
    const KanaRow& row = table_.rows[static_cast<size_t>(order_[static_cast<size_t>(index.row())])];
    const auto figure = static_cast<KanaFigure>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return figure == KanaFigure::Question ? stats_->questions()[row.question]
                                              : kanaFigureText(row, figure);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            figure == KanaFigure::Question ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        return kanaRowText(*stats_, row);
    case Qt::BackgroundRole:
        if (figure == KanaFigure::Points)
            return KanaGrid::colourOf(row.figure(figure), row.appearances < kKanaMinAppearances);
        return {};
    default:
        return {};
    }
}

QVariant KanaTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return kHeaders[static_cast<size_t>(section)];
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
    return {};
}

void KanaTableModel::sort(int column, Qt::SortOrder order) {
    beginResetModel();
    by_ = static_cast<KanaFigure>(column);
    descending_ = order == Qt::DescendingOrder;
    order_ = kanaOrder(table_, by_, descending_);
    endResetModel();
}

KanaGrid::KanaGrid(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("kanaGrid"));
    setAccessibleName(QStringLiteral("五十音の表"));
    setAccessibleDescription(QStringLiteral(
        "1 文字の問題を五十音の順に並べ、1 回あたりの点で色を付けた表です。赤いほど苦手、"
        "青いほど得意です。数値は横の表と下の要約にあります。"));
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QColor KanaGrid::colourOf(double points, bool few) {
    // From red (-1 point, a word missed) through pale yellow to blue (3, a word inside).
    const double t = std::clamp((points + 1) / 4, 0.0, 1.0);
    const QColor c = t < 0.5 ? mix(QColor(215, 48, 39), QColor(255, 250, 190), t * 2)
                             : mix(QColor(255, 250, 190), QColor(69, 117, 180), t * 2 - 1);
    return few ? mix(c, QColor(245, 245, 245), 0.65) : c;
}

// The columns of the gojūon table (あ行, か行, …) that hold an asked question,
// あいうえお down each, then the other one-kana questions five to a column.
void KanaGrid::setTable(std::shared_ptr<const KanaStats> stats, const KanaTable* table) {
    stats_ = stats;
    cells_.clear();
    QHash<QChar, const KanaRow*> asked;
    std::vector<const KanaRow*> others;
    for (const KanaRow& row : table->rows) {
        const QString& q = stats->questions()[row.question];
        if (q.size() != 1) continue;
        if (gojuonIndex(q) >= 0 && q[0] < QChar(0x30A0))
            asked.insert(q[0], &row);
        else
            others.push_back(&row);
    }
    columns_ = 0;
    for (const auto& kana : gojuonRows()) {
        if (std::none_of(kana.begin(), kana.end(), [&](QChar c) { return asked.contains(c); }))
            continue;
        for (int r = 0; r < 5; ++r)
            if (!kana[size_t(r)].isNull())
                cells_.push_back({columns_, r, kana[size_t(r)], asked.value(kana[size_t(r)])});
        ++columns_;
    }
    for (size_t i = 0; i < others.size(); ++i)
        cells_.push_back({columns_ + int(i / 5), int(i % 5),
                          stats->questions()[others[i]->question], others[i]});
    columns_ += int((others.size() + 4) / 5);
    setVisible(!cells_.empty());
    updateGeometry();
    update();
}

// Cells as large as the width allows, up to a comfortable size.
int KanaGrid::cellSize(int width) const {
    return std::clamp((width - 8) / std::max(1, columns_) - kGap, 22, kCell);
}

QSize KanaGrid::sizeHint() const {
    // Comfortable cells: not the height for the current width, which before the
    // first layout is a default of 100 pixels and would cut the grid short.
    const int width = columns_ * (kCell + kGap) + 8;
    return {width, heightForWidth(width)};
}

QSize KanaGrid::minimumSizeHint() const {
    return {columns_ * (22 + kGap) + 8, heightForWidth(0)};
}

int KanaGrid::heightForWidth(int width) const {
    return 5 * (cellSize(width) + kGap) + kLegend + 8;
}

QRect KanaGrid::cellRect(const Cell& cell) const {
    const int size = cellSize(width());
    return {4 + cell.column * (size + kGap), 4 + cell.row * (size + kGap), size, size};
}

void KanaGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int size = cellSize(width());
    QFont kanaFont = font(), figureFont = font();
    kanaFont.setPixelSize(size * 4 / 10);
    figureFont.setPixelSize(std::max(9, size * 23 / 100));
    for (const Cell& cell : cells_) {
        const QRect r = cellRect(cell);
        const bool asked = cell.figures != nullptr;
        const double points = asked ? cell.figures->figure(KanaFigure::Points) : 0;
        const bool few = asked && cell.figures->appearances < kKanaMinAppearances;
        painter.setPen(QColor(150, 150, 150));
        painter.setBrush(asked ? colourOf(points, few) : QColor(235, 235, 235));
        painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        painter.setPen(asked ? QColor(20, 20, 20) : QColor(160, 160, 160));
        painter.setFont(kanaFont);
        const bool figures = asked && size >= 34;
        painter.drawText(figures ? r.adjusted(0, 1, 0, -size * 4 / 10) : r, Qt::AlignCenter,
                         cell.kana);
        if (!figures) continue;
        painter.setFont(figureFont);
        painter.drawText(r.adjusted(0, size * 55 / 100, 0, -2), Qt::AlignCenter,
                         QString::number(points, 'f', 1));
    }
    paintLegend(painter, 4 + 5 * (size + kGap) + 6);
}

// The colour scale, with the points it stands for.
void KanaGrid::paintLegend(QPainter& painter, int top) const {
    QFont small = font();
    small.setPixelSize(11);
    painter.setFont(small);
    painter.setPen(palette().color(QPalette::WindowText));
    const QString title = QStringLiteral("1 回あたりの点（薄い色は出題 3 回未満）");
    const int barLeft = 4, barWidth = 160;
    for (int x = 0; x < barWidth; ++x) {
        painter.setPen(colourOf(-1 + 4.0 * x / (barWidth - 1), false));
        painter.drawLine(barLeft + x, top, barLeft + x, top + 10);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    for (int p = -1; p <= 3; ++p)
        painter.drawText(QRect(barLeft + (p + 1) * (barWidth - 1) / 4 - 12, top + 11, 24, 14),
                         Qt::AlignCenter, QString::number(p));
    painter.drawText(QRect(barLeft + barWidth + 12, top, 400, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     title);
}

bool KanaGrid::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto hit = std::find_if(cells_.begin(), cells_.end(), [&](const Cell& cell) {
        return cellRect(cell).contains(help->pos());
    });
    if (hit == cells_.end())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(),
                           hit->figures
                               ? kanaRowText(*stats_, *hit->figures)
                               : QStringLiteral("%1（この条件では出題なし）").arg(hit->kana),
                           this, cellRect(*hit));
    return true;
}

KanaView::KanaView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("kanaView"));
    grid_ = new KanaGrid(this);
    model_ = new KanaTableModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("kanaTable"));
    table_->setAccessibleName(QStringLiteral("問題ごとの成績の表"));
    table_->setModel(model_);
    table_->horizontalHeader()->setSortIndicator(int(KanaFigure::Points), Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);
    layout->addWidget(table_, 1);
}

void KanaView::setFigures(std::shared_ptr<const KanaStats> stats, KanaTable table) {
    model_->setTable(stats, std::move(table));
    grid_->setTable(stats, &model_->table());
}

} // namespace kb
