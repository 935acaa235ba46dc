#pragma once

#include "core/history_record.h"

#include <QString>
#include <Qt>

namespace kb {

// How the history grid shows a column: its header, its width in twips and
// where its cells sit. The chart's row tooltip uses the same headers.
struct HistoryColumnLook {
    const char16_t* headerText;
    int width;
    Qt::Alignment alignment;

    QString header() const { return QString::fromUtf16(headerText); }
};

// The first column numbers the rows.
inline constexpr HistoryColumnLook kRowNumberLook = {u"回", 600, Qt::AlignCenter};

// The record's items; every column of the record has a case.
constexpr HistoryColumnLook historyColumnLook(HistoryColumn column) {
    constexpr Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    switch (column) {
    case HistoryColumn::Date:
        return {u"日付", 1400, Qt::AlignCenter};
    case HistoryColumn::Time:
        return {u"時間", 1000, Qt::AlignCenter};
    case HistoryColumn::Set:
        return {u"モ", 340, right};
    case HistoryColumn::OkCount:
        return {u"ＯＫ", 565, right};
    case HistoryColumn::NgCount:
        return {u"ＮＧ", 565, right};
    case HistoryColumn::TypedChars:
        return {u"文字", 700, right};
    case HistoryColumn::Score:
        return {u"得点", 600, right};
    case HistoryColumn::Rate:
        return {u"正解率", 870, right};
    case HistoryColumn::Speed:
        return {u"秒当たり", 980, right};
    case HistoryColumn::Length:
        return {u"表示", 800, Qt::AlignLeft | Qt::AlignVCenter};
    }
    return kRowNumberLook;
}

} // namespace kb
