#include "error.h"

namespace kb {

Error::Error(Kind kind, QString subject, QString detail)
    : kind_(kind), subject_(std::move(subject)), detail_(std::move(detail)) {}

QString Error::message() const {
    QString text;
    const QString& s = subject_;
    switch (kind_) {
    case Kind::FileNotFound:
        text =
            QStringLiteral(
                "ファイル「%1」が見つかりません。プログラムと同じ作業フォルダーに置いてください。")
                .arg(s);
        break;
    case Kind::CannotRead:
        text = QStringLiteral("ファイル「%1」を読み込めません。").arg(s);
        break;
    case Kind::CannotWrite:
        text = QStringLiteral("ファイル「%1」に書き込めません。").arg(s);
        break;
    case Kind::EndOfFile:
        text = QStringLiteral("ファイル「%1」が途中で終わっています。項目が足りません。").arg(s);
        break;
    case Kind::Overflow:
        text = s.isEmpty()
                   ? QStringLiteral("数値が扱える範囲（-32768～32767）を超えました。")
                   : QStringLiteral("「%1」の数値が扱える範囲（-32768～32767）を超えています。")
                         .arg(s);
        break;
    case Kind::IndexOutOfRange:
        text = QStringLiteral("ファイル「%1」の項目が多すぎます。").arg(s);
        break;
    case Kind::DivisionByZero:
        text = s.isEmpty() ? QStringLiteral("0 で割り算をしようとしました。")
                           : QStringLiteral("「%1」の値が 0 のため計算できません。").arg(s);
        break;
    case Kind::InvalidValue:
        text = QStringLiteral("ファイル「%1」に使えない値があります。").arg(s);
        break;
    }
    if (!detail_.isEmpty()) text += QLatin1Char('\n') + detail_;
    return text;
}

} // namespace kb
