#include "fonts.h"

#include "layout_units.h"

#include <QFontDatabase>

namespace kb {

QStringList gothicFamilies() {
    static const QStringList families = [] {
        const QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
        // The preferred faces that are installed: asking for one that is not
        // makes every font the window uses look for it again, and Qt would pass
        // it over anyway.
        QStringList list;
        for (const QString& f : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                 QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック")})
            if (installed.contains(f)) list << f;
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
