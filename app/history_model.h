#pragma once

#include "core/history_record.h"
#include "files/history_table.h"

#include <array>
#include <cstdint>
#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace kb {

// The history grid's content: a header row and one row per saved round,
// numbered from 1 in column 0; the record's items follow in file order.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 1 + static_cast<int>(kHistoryItems.size());
    static constexpr int columnOf(HistoryColumn item) { return 1 + static_cast<int>(item); }

    explicit HistoryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString cell(int row, int column) const; // data rows from 0
    // Every row as a record, in order; a blank row gives an empty one.
    std::vector<HistoryRecord> records() const;
    // Adds or removes blank rows at the end.
    void setDataRowCount(int rows);
    void appendRecord(const HistoryRecord& record);
    // Replaces every row with the records of a history file; on an error
    // the rows stay as they were. ends, when given, notes how the file ended.
    void load(const QString& historyFile, KnownEnds* ends = nullptr);

    QString headerText(int column) const { return headers_[static_cast<size_t>(column)]; }
    void setHeaderText(int column, const QString& text);
    void setHeaderAlignment(int column, Qt::Alignment alignment);
    void setDataAlignment(int column, Qt::Alignment alignment);
    Qt::Alignment dataAlignment(int column) const {
        return dataAlign_[static_cast<size_t>(column)];
    }
    Qt::Alignment headerAlignment(int column) const {
        return headerAlign_[static_cast<size_t>(column)];
    }

private:
    using Texts = HistoryTexts;
    // A record's texts stay in the file's bytes until the row is shown, and its
    // numbers are kept as numbers: 32,766 records load quickly and stay small.
    // Records added since the load keep their texts decoded.
    // start: in bytes_, or kBlank, or kAdded plus the index in added_
    using Row = HistoryIndex::Record;
    static constexpr std::uint32_t kBlank = 0xFFFFFFFF, kAdded = 0x80000000;
    const Texts& textsOf(const Row& row) const;
    void forgetShown() { shownStart_ = kBlank; }

    std::vector<Row> rows_;
    QByteArray bytes_;
    std::vector<Texts> added_;
    // The row decoded last: a row's cells are asked for one after another.
    mutable std::uint32_t shownStart_ = kBlank;
    mutable Texts shown_;
    std::array<QString, kColumns> headers_;
    std::array<Qt::Alignment, kColumns> headerAlign_;
    std::array<Qt::Alignment, kColumns> dataAlign_;
};

} // namespace kb
