#include "error.h"

namespace kb {

Error::Error(Kind kind, QString subject, QString detail)
    : kind_(kind), subject_(std::move(subject)), detail_(std::move(detail)) {}

QString Error::message() const {
    // 「履歴.txt」の 12 行目（11 件目の記録）
    QString where = QStringLiteral("「%1」").arg(subject_);
    if (line_ > 0) {
        where += QStringLiteral("の %1 行目").arg(line_);
        if (record_ > 0) where += QStringLiteral("（%1 件目の記録）").arg(record_);
    }
    QString text;
    switch (kind_) {
    case Kind::FileNotFound:
        text = QStringLiteral(
                   "ファイル%1が見つかりません。プログラムと同じ作業フォルダーに置いてください。")
                   .arg(where);
        break;
    case Kind::CannotRead:
        text = QStringLiteral("ファイル%1を読み込めません。").arg(where);
        break;
    case Kind::CannotWrite:
        text = QStringLiteral("ファイル%1に書き込めません。").arg(where);
        break;
    case Kind::EndOfFile:
        text = QStringLiteral("ファイル%1が途中で終わっています。項目が足りません。").arg(where);
        break;
    case Kind::Overflow:
        text = subject_.isEmpty()
                   ? QStringLiteral("数値が扱える範囲（-32768～32767）を超えました。")
                   : QStringLiteral("%1の数値が扱える範囲（-32768～32767）を超えています。")
                         .arg(where);
        break;
    case Kind::IndexOutOfRange:
        text = QStringLiteral("ファイル%1の項目が多すぎます。").arg(where);
        break;
    case Kind::DivisionByZero:
        text = subject_.isEmpty() ? QStringLiteral("0 で割り算をしようとしました。")
                                  : QStringLiteral("%1の値が 0 のため計算できません。").arg(where);
        break;
    case Kind::InvalidValue:
        text = QStringLiteral("ファイル%1に使えない値があります。").arg(where);
        break;
    case Kind::NotShiftJis:
        text = QStringLiteral("ファイル%1は Shift_JIS（コードページ 932）で書かれていません。")
                   .arg(where);
        break;
    }
    if (!detail_.isEmpty()) text += QLatin1Char('\n') + detail_;
    if (!advice_.isEmpty()) text += QLatin1Char('\n') + advice_;
    return text;
}

} // namespace kb
