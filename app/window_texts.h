#pragma once

#include "core/question_record.h"
#include "drill/drill_state.h"
#include "files/data_files.h"

#include <QString>

// What the window says to the player, in one place.
namespace kb::texts {

inline const QString kCaption = QStringLiteral("コトバル");
inline const QString kClearAsk = QStringLiteral("履歴データをクリアします。よろしいですか？");
inline const QString kClearAskTitle = QStringLiteral("クリア確認");
inline const QString kCleared = QStringLiteral("履歴データをクリアしました");
inline const QString kClearedTitle = QStringLiteral("クリア終了");
inline const QString kProgressChart = QStringLiteral("成績グラフ…");
inline const QString kProgressChartMissing =
    QStringLiteral("成績グラフ（インストールされていません）");

inline QString noQuestionLeft() {
    return QStringLiteral("出題できる問題がありません。\n"
                          "「%1」がこのモードのすべての問題を除外しています。"
                          "モードを変えるか、「%1」から行を消してから起動し直してください。")
        .arg(kExclusionFile);
}

inline QString chooseRoundLength() {
    return QStringLiteral("プレイ秒数が 1 秒より短いため、始められません。"
                          "「プレイ秒数」の一覧から秒数を選んでください。");
}

inline QString exclusionListFull() {
    return QStringLiteral("「%1」には %2 個までしか登録できないため、この問題は除外されません。")
        .arg(kExclusionFile)
        .arg(kExclusionCapacity);
}

inline QString autoSaveFailed(const QString& why) {
    return QStringLiteral("自動保存に失敗しました。この回の結果は履歴に残っていません。\n") + why;
}

// The round's question lines could not be written; its history record was.
inline QString questionLinesNotSaved(const QString& why) {
    return why + QStringLiteral("\nこの回の結果は「%1」に保存しましたが、問題ごとの記録は「%2」に"
                                "残っていないため、かな別の集計には入りません。")
                     .arg(kHistoryFile, kQuestionLogFile);
}

// The history record could not be written: what became of the round's question lines.
inline QString questionLinesTakenBack(bool takenBack) {
    return takenBack ? QStringLiteral("「%1」に書いた問題ごとの記録も取り消しました。")
                           .arg(kQuestionLogFile)
                     : QStringLiteral("「%1」に書いた問題ごとの記録は取り消せませんでしたが、"
                                      "履歴のない記録として、かな別の集計では使われません。")
                           .arg(kQuestionLogFile);
}
inline QString questionLinesNotWrittenEither() {
    return QStringLiteral("「%1」にも書き込めませんでした。").arg(kQuestionLogFile);
}

// クリア: 履歴.txt could not be emptied, so 出題記録.txt was left as well.
inline QString questionLogKept() {
    return QStringLiteral("「%1」も空にしていません。").arg(kQuestionLogFile);
}
// クリア: 履歴.txt was emptied, 出題記録.txt could not be.
inline QString questionLogNotCleared(const QString& why) {
    return why + QStringLiteral("\n「%1」は空にしましたが、「%2」は空にできませんでした。"
                                "残った記録は履歴がないため、かな別の集計では使われません。")
                     .arg(kHistoryFile, kQuestionLogFile);
}

// A settings write failed; the value stays in force for this game either way.
inline QString settingsNotStored(const QString& why, bool atStart) {
    return why + QLatin1Char('\n') +
           (atStart ? QStringLiteral("読み込んだ設定のままゲームを続けます。")
                    : QStringLiteral("新しい設定はゲームを終えるまで使われますが、"
                                     "次に起動したときには元の設定に戻ります。"));
}

} // namespace kb::texts
