#pragma once

#include "core/history_record.h"

#include <array>
#include <cstdint>
#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace kb {

// The history grid's content: a header row and one row per record. Each row is
// kept as one string, which keeps 32,766 records small and quick to load.
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 11;

    explicit HistoryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    QString cell(int row, int column) const; // data rows from 0
    void setDataRowCount(int rows);
    void appendRow(const std::array<QString, kColumns>& cells);
    // Replaces every data row at once, for the load at start-up.
    void resetRows(std::vector<QString> joinedRows);
    static QString joinRow(const std::array<QString, kColumns>& cells);

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
    std::vector<QString> rows_;
    std::array<QString, kColumns> headers_;
    std::array<Qt::Alignment, kColumns> headerAlign_;
    std::array<Qt::Alignment, kColumns> dataAlign_;
};

// Reads "履歴.txt" into rows numbered from 1. The count is 32-bit, so no history
// the program can write stops it from starting.
std::vector<QString> loadHistoryRows(const QString& name);
// The record as the file carries it back: a double quote, which would end a
// quoted item, becomes ”, and what code page 932 lacks becomes "?".
HistoryRecord storedForm(HistoryRecord record);
// Appends one record in its stored form, and returns that form; on failure the
// file is left byte for byte as it was.
HistoryRecord appendHistory(const QString& name, const HistoryRecord& record);
// Empties the file.
void clearHistory(const QString& name);

} // namespace kb
