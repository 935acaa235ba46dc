#include "history_model.h"

#include "files/history_table.h"

#include <algorithm>

namespace kb {
namespace {

// Texts are joined by a character none can hold: decoding code page 932
// never yields the noncharacter U+FFFF, and saved texts pass through that
// decoding. A control character such as U+001F can come from a history file.
constexpr QChar kSeparator = QChar(0xFFFF);

// Which of a row's texts each column shows, or -1 for its numbers.
constexpr int kTextOf[HistoryModel::kColumns] = {-1, 0, 1, 2, -1, -1, -1, -1, 3, 4, 5};

} // namespace

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

QString HistoryModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumns) return {};
    const Row& r = rows_[static_cast<size_t>(row)];
    if (r.texts.isEmpty()) return {};
    if (column == 0) return QString::number(row + 1);
    const int text = kTextOf[column];
    if (text < 0) return QString::number(r.numbers[static_cast<size_t>(column - 4)]);
    qsizetype start = 0;
    for (int t = 0; t < text; ++t)
        start = r.texts.indexOf(kSeparator, start) + 1;
    qsizetype end = r.texts.indexOf(kSeparator, start);
    if (end < 0) end = r.texts.size();
    return r.texts.mid(start, end - start);
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

HistoryModel::Row HistoryModel::compact(const HistoryRecord& record) {
    const QString* texts[] = {&record.date, &record.time,  &record.set,
                              &record.rate, &record.speed, &record.length};
    qsizetype size = 5;
    for (const QString* t : texts)
        size += t->size();
    Row row;
    row.texts = QString(size, Qt::Uninitialized);
    QChar* out = row.texts.data();
    for (const QString* t : texts) {
        if (t != texts[0]) *out++ = kSeparator;
        out = std::copy(t->begin(), t->end(), out);
    }
    row.numbers = {record.okCount, record.ngCount, record.typedChars, record.score};
    return row;
}

void HistoryModel::setDataRowCount(int rows) {
    rows = std::max(0, rows);
    const int now = rowCount();
    if (rows > now) {
        beginInsertRows({}, now, rows - 1);
        rows_.resize(static_cast<size_t>(rows));
        endInsertRows();
    } else if (rows < now) {
        beginRemoveRows({}, rows, now - 1);
        rows_.resize(static_cast<size_t>(rows));
        endRemoveRows();
    }
}

void HistoryModel::appendRecord(const HistoryRecord& record) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.push_back(compact(record));
    endInsertRows();
}

void HistoryModel::load(const QString& historyFile) {
    std::vector<Row> rows;
    readHistory(historyFile, [&rows](const HistoryRecord& r) { rows.push_back(compact(r)); });
    beginResetModel();
    rows_ = std::move(rows);
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
