#pragma once

#include "core/history_record.h"

#include <QtPlugin>
#include <vector>

class QWidget;

namespace kb {

class MessageBoxes;

// The progress chart lives in a module of its own, loaded on first use: Qt
// Charts and the OpenGL libraries it pulls in would otherwise cost every start.

// The chart's window; deleting its widget deletes it.
class ProgressChartWindow {
public:
    virtual ~ProgressChartWindow() = default;
    virtual QWidget* widget() = 0;
    // Every record of the history, in file order; the first is row 1. Taken, not copied.
    virtual void setRecords(std::vector<HistoryRecord> records) = 0;
    // A record just saved, as the next row.
    virtual void appendRecord(const HistoryRecord& record) = 0;
    // Where the question lines of saved rounds are, read when they are first shown.
    virtual void setQuestionLog(const QString& path) = 0;
};

class ProgressChartModule {
public:
    virtual ~ProgressChartModule() = default;
    // A window of its own, owned by parent and closed with it; what it has to
    // tell the player goes through messages, which outlive it.
    virtual ProgressChartWindow* createWindow(QWidget* parent, MessageBoxes& messages) = 0;
};

} // namespace kb

#define KbProgressChartModule_iid "jp.kotobaru.ProgressChartModule/3"
Q_DECLARE_INTERFACE(kb::ProgressChartModule, KbProgressChartModule_iid)
