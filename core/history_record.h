#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <QString>

namespace kb {

// A history record holds this many items.
inline constexpr std::size_t kHistoryItemCount = 10;

// One saved round, the ten items of a history record.
struct HistoryRecord {
    QString date, time, set;
    std::int16_t okCount = 0, ngCount = 0, typedChars = 0, score = 0;
    QString rate, speed, length;

    bool operator==(const HistoryRecord&) const = default;

    // The texts of the history grid's columns 1 to 10.
    std::array<QString, kHistoryItemCount> cells() const;
};

// The record's items in file order. The reader, the writer, the grid and the
// chart all go through kHistoryItems below; how the window shows each one
// (header, width, alignment) is keyed by this in app/history_columns.h.
enum class HistoryColumn {
    Date,
    Time,
    Set,
    OkCount,
    NgCount,
    TypedChars,
    Score,
    Rate,
    Speed,
    Length
};

// An item and where the record keeps it: the file holds a text as a quoted
// item, a number as a 16-bit integer.
struct HistoryItem {
    HistoryColumn column;
    QString HistoryRecord::*text = nullptr;
    std::int16_t HistoryRecord::*number = nullptr;
    // Among the record's texts, or among its numbers, in file order.
    int slot = 0;

    constexpr bool isText() const { return text != nullptr; }
};

namespace detail {
// Each item's slot follows from the kinds before it.
constexpr std::array<HistoryItem, kHistoryItemCount>
numbered(std::array<HistoryItem, kHistoryItemCount> items) {
    int texts = 0, numbers = 0;
    for (HistoryItem& item : items)
        item.slot = item.isText() ? texts++ : numbers++;
    return items;
}
} // namespace detail

inline constexpr std::array<HistoryItem, kHistoryItemCount> kHistoryItems = detail::numbered({{
    {HistoryColumn::Date, &HistoryRecord::date},
    {HistoryColumn::Time, &HistoryRecord::time},
    {HistoryColumn::Set, &HistoryRecord::set},
    {HistoryColumn::OkCount, nullptr, &HistoryRecord::okCount},
    {HistoryColumn::NgCount, nullptr, &HistoryRecord::ngCount},
    {HistoryColumn::TypedChars, nullptr, &HistoryRecord::typedChars},
    {HistoryColumn::Score, nullptr, &HistoryRecord::score},
    {HistoryColumn::Rate, &HistoryRecord::rate},
    {HistoryColumn::Speed, &HistoryRecord::speed},
    {HistoryColumn::Length, &HistoryRecord::length},
}});
static_assert(
    [] {
        for (std::size_t i = 0; i < kHistoryItems.size(); ++i)
            if (kHistoryItems[i].column != HistoryColumn(i)) return false;
        return true;
    }(),
    "kHistoryItems is in the order of HistoryColumn");

constexpr const HistoryItem& historyItem(HistoryColumn column) {
    return kHistoryItems[static_cast<std::size_t>(column)];
}

inline constexpr int kHistoryNumberCount = [] {
    int n = 0;
    for (const HistoryItem& item : kHistoryItems)
        n += !item.isText();
    return n;
}();
inline constexpr int kHistoryTextCount = int(kHistoryItems.size()) - kHistoryNumberCount;

// A record's items by kind, each in file order, as the grid keeps them.
using HistoryTexts = std::array<QString, kHistoryTextCount>;
using HistoryNumbers = std::array<std::int16_t, kHistoryNumberCount>;

// An item as the grid and the chart show it.
inline QString historyCell(const HistoryRecord& record, HistoryColumn column) {
    const HistoryItem& item = historyItem(column);
    return item.isText() ? record.*item.text : QString::number(record.*item.number);
}

inline std::array<QString, kHistoryItemCount> HistoryRecord::cells() const {
    std::array<QString, kHistoryItemCount> cells;
    for (const HistoryItem& item : kHistoryItems)
        cells[static_cast<std::size_t>(item.column)] = historyCell(*this, item.column);
    return cells;
}

// A record split by kind, and put back together.
inline HistoryTexts splitTexts(const HistoryRecord& record) {
    HistoryTexts texts;
    for (const HistoryItem& item : kHistoryItems)
        if (item.isText()) texts[static_cast<std::size_t>(item.slot)] = record.*item.text;
    return texts;
}

inline HistoryNumbers splitNumbers(const HistoryRecord& record) {
    HistoryNumbers numbers{};
    for (const HistoryItem& item : kHistoryItems)
        if (!item.isText()) numbers[static_cast<std::size_t>(item.slot)] = record.*item.number;
    return numbers;
}

inline HistoryRecord joinRecord(const HistoryTexts& texts, const HistoryNumbers& numbers) {
    HistoryRecord record;
    for (const HistoryItem& item : kHistoryItems) {
        const auto slot = static_cast<std::size_t>(item.slot);
        if (item.isText())
            record.*item.text = texts[slot];
        else
            record.*item.number = numbers[slot];
    }
    return record;
}

} // namespace kb
