#include "history_model.h"

#include "files/history_table.h"

#include <algorithm>

namespace kb {

HistoryModel::HistoryModel(QObject* parent) : QAbstractTableModel(parent) {
    headerAlign_.fill(Qt::AlignLeft | Qt::AlignVCenter);
    dataAlign_.fill(Qt::AlignLeft | Qt::AlignVCenter);
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

const HistoryModel::Texts& HistoryModel::textsOf(const Row& row) const {
    if (row.start >= kAdded) return added_[row.start - kAdded];
    if (row.start != shownStart_) {
        historyTexts(bytes_, row.start, shown_);
        shownStart_ = row.start;
    }
    return shown_;
}

QString HistoryModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return {};
    const Row& r = rows_[static_cast<size_t>(row)];
    if (r.start == kBlank) return {};
    if (column == 0) return QString::number(row + 1);
    const HistoryItem& item = kHistoryItems[static_cast<size_t>(column - 1)];
    const auto slot = static_cast<size_t>(item.slot);
    return item.isText() ? textsOf(r)[slot] : QString::number(r.numbers[slot]);
}

std::vector<HistoryRecord> HistoryModel::records() const {
    std::vector<HistoryRecord> records(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (row.start != kBlank) records[i] = joinRecord(textsOf(row), row.numbers);
    }
    return records;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(dataAlign_[static_cast<size_t>(index.column())]);
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical || section < 0 || section >= kColumns) return {};
    if (role == Qt::DisplayRole) return headers_[static_cast<size_t>(section)];
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(headerAlign_[static_cast<size_t>(section)]);
    return {};
}

void HistoryModel::setDataRowCount(int rows) {
    rows = std::max(0, rows);
    const int now = rowCount();
    if (rows > now) {
        beginInsertRows({}, now, rows - 1);
        rows_.resize(static_cast<size_t>(rows), Row{kBlank, {}});
        endInsertRows();
    } else if (rows < now) {
        beginRemoveRows({}, rows, now - 1);
        rows_.resize(static_cast<size_t>(rows));
        if (rows == 0) {
            bytes_.clear();
            added_.clear();
            forgetShown();
        }
        endRemoveRows();
    }
}

void HistoryModel::appendRecord(const HistoryRecord& record) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    added_.push_back(splitTexts(record));
    rows_.push_back({kAdded + static_cast<std::uint32_t>(added_.size() - 1), splitNumbers(record)});
    endInsertRows();
}

void HistoryModel::load(const QString& historyFile, KnownEnds* ends) {
    HistoryIndex index = indexHistory(historyFile, ends);
    beginResetModel();
    rows_ = std::move(index.records);
    bytes_ = std::move(index.bytes);
    added_.clear();
    forgetShown();
    endResetModel();
}

void HistoryModel::setHeaderText(int column, const QString& text) {
    headers_[static_cast<size_t>(column)] = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void HistoryModel::setHeaderAlignment(int column, Qt::Alignment alignment) {
    headerAlign_[static_cast<size_t>(column)] = alignment;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void HistoryModel::setDataAlignment(int column, Qt::Alignment alignment) {
    dataAlign_[static_cast<size_t>(column)] = alignment;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column),
                           {Qt::TextAlignmentRole});
}

} // namespace kb
