#include "fonts.h"

#include "layout_units.h"

#include <QFontDatabase>

namespace kb {

QStringList gothicFamilies() {
    static const QStringList families = [] {
        QStringList list{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                         QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")};
        const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
        for (const QString& f : installed) {
            const bool gothic = f.contains(QStringLiteral("Gothic"), Qt::CaseInsensitive) ||
                                f.contains(QStringLiteral("ゴシック")) ||
                                f.contains(QStringLiteral("Sans"), Qt::CaseInsensitive);
            if (gothic && !QFontDatabase::isFixedPitch(f) && !list.contains(f)) list << f;
        }
        return list;
    }();
    return families;
}

QFont gothicFont(double points) {
    QFont f;
    f.setFamilies(gothicFamilies());
    f.setPixelSize(fontPixels(points));
    f.setWeight(QFont::Normal);
    return f;
}

} // namespace kb
