#pragma once

#include <QDir>
#include <QImage>
#include <QString>

namespace kb::test {

// Empty when the picture is the reference tests/app/reference/<name>.png pixel
// for pixel (the same machine renders the same pixels: a line one pixel too
// long fails), else what differs. After an intended change,
// KB_UPDATE_REFERENCE=1 writes the picture anew; look at it before committing.
inline QString differsFromReference(const QImage& picture, const QString& name) {
    const QImage shot = picture.convertToFormat(QImage::Format_RGB32);
    const QString reference = QStringLiteral(KB_REFERENCE_DIR "/%1.png").arg(name);
    if (qEnvironmentVariableIsSet("KB_UPDATE_REFERENCE"))
        return shot.save(reference) ? QString() : QStringLiteral("cannot write ") + reference;
    if (shot == QImage(reference).convertToFormat(QImage::Format_RGB32)) return {};
    const QString saved = QDir::tempPath() + QStringLiteral("/kotobaru-%1-actual.png").arg(name);
    shot.save(saved);
    return QStringLiteral("%1 differs from its reference; see %2").arg(name, saved);
}

} // namespace kb::test
