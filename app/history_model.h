#pragma once

#include "core/history_record.h"

#include <array>
#include <cstdint>
#include <QAbstractTableModel>
#include <QString>
#include <vector>

namespace kb {

// The history grid's content: a header row and one row per saved round,
// numbered from 1 in column 0.
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
    // Adds or removes blank rows at the end.
    void setDataRowCount(int rows);
    void appendRecord(const HistoryRecord& record);
    // Replaces every row with the records of a history file; on an error
    // the rows stay as they were.
    void load(const QString& historyFile);

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
    // A record's six texts joined into one string and its four numbers as
    // they are: 32,766 records stay small and quick to load. A blank row has
    // no texts at all.
    struct Row {
        QString texts;
        std::array<std::int16_t, 4> numbers{};
    };
    static Row compact(const HistoryRecord& record);

    std::vector<Row> rows_;
    std::array<QString, kColumns> headers_;
    std::array<Qt::Alignment, kColumns> headerAlign_;
    std::array<Qt::Alignment, kColumns> dataAlign_;
};

} // namespace kb
