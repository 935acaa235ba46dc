#include "history_table.h"

#include "cp932.h"
#include "sequential_file.h"

#include <charconv>
#include <string>

namespace kb {
namespace {

// Cells are joined by a character no cell can hold: decoding code page 932
// never yields the noncharacter U+FFFF, and saved texts pass through that
// decoding. A control character such as U+001F can come from a history file.
constexpr QChar kSeparator = QChar(0xFFFF);

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
    const QString& joined = rows_[static_cast<size_t>(row)];
    qsizetype start = 0;
    for (int c = 0; c < column; ++c) {
        start = joined.indexOf(kSeparator, start);
        if (start < 0) return {};
        ++start;
    }
    qsizetype end = joined.indexOf(kSeparator, start);
    if (end < 0) end = joined.size();
    return joined.mid(start, end - start);
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

QString HistoryModel::joinRow(const std::array<QString, kColumns>& cells) {
    qsizetype size = kColumns;
    for (const QString& c : cells)
        size += c.size();
    QString joined;
    joined.reserve(size);
    for (int c = 0; c < kColumns; ++c) {
        if (c > 0) joined += kSeparator;
        joined += cells[static_cast<size_t>(c)];
    }
    return joined;
}

void HistoryModel::setDataRowCount(int rows) {
    rows = std::max(0, rows);
    const int now = rowCount();
    if (rows > now) {
        beginInsertRows({}, now, rows - 1);
        rows_.resize(static_cast<size_t>(rows), QString(kColumns - 1, kSeparator));
        endInsertRows();
    } else if (rows < now) {
        beginRemoveRows({}, rows, now - 1);
        rows_.resize(static_cast<size_t>(rows));
        endRemoveRows();
    }
}

void HistoryModel::appendRow(const std::array<QString, kColumns>& cells) {
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.push_back(joinRow(cells));
    endInsertRows();
}

void HistoryModel::resetRows(std::vector<QString> joinedRows) {
    beginResetModel();
    rows_ = std::move(joinedRows);
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

std::vector<QString> loadHistoryRows(const QString& name) {
    SequentialFile file;
    file.openRead(name);
    std::vector<QString> rows;
    // Each row is decoded straight into one buffer, without a string per cell:
    // 32,766 records load in a third of the time.
    std::u16string row;
    const auto appendNumber = [&row](long value) {
        char digits[24];
        const char* end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
        for (const char* d = digits; d != end; ++d)
            row += static_cast<char16_t>(*d);
    };
    std::int32_t n = 1;
    while (!file.atEnd()) {
        row.clear();
        appendNumber(n);
        const qsizetype start = file.position();
        try {
            for (int c = 1; c <= 10; ++c) {
                row += kSeparator.unicode();
                if (c >= 4 && c <= 7)
                    appendNumber(file.readInt16());
                else
                    appendDecodedCp932(row, file.readRaw());
            }
        } catch (Error& e) {
            e.at(e.line(), n);
            if (e.kind() == Error::Kind::EndOfFile && file.restIsBlank(start))
                e.at(file.lineOf(start))
                    .advise(QStringLiteral(
                        "ファイルの最後に空の行があります。テキストエディターでその行を消して"
                        "保存してください。"));
            else if (e.kind() == Error::Kind::EndOfFile)
                e.at(file.lineOf(start))
                    .advise(QStringLiteral("記録は日付から表示秒数までの 10 項目でできています。"
                                           "この記録を直すか、行ごと消して保存してください。"));
            else if (e.kind() == Error::Kind::Overflow)
                e.advise(QStringLiteral("数値を -32768～32767 に直して保存してください。"));
            throw;
        }
        rows.emplace_back(reinterpret_cast<const QChar*>(row.data()),
                          static_cast<qsizetype>(row.size()));
        ++n;
    }
    file.close();
    return rows;
}

HistoryRecord storedForm(HistoryRecord record) {
    for (QString* text : {&record.date, &record.time, &record.set, &record.rate, &record.speed,
                          &record.length})
        *text = roundTripCp932(QString(*text).replace(QLatin1Char('"'), QStringLiteral("”")));
    return record;
}

HistoryRecord appendHistory(const QString& name, const HistoryRecord& given) {
    const HistoryRecord record = storedForm(given);
    SequentialFile file;
    file.openAppend(name);
    file.writeRecord({record.date, record.time, record.set, record.okCount, record.ngCount,
                      record.typedChars, record.score, record.rate, record.speed, record.length});
    file.close();
    return record;
}

void clearHistory(const QString& name) {
    SequentialFile file;
    file.openRewrite(name);
    file.close();
}

} // namespace kb
