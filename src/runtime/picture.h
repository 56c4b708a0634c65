#pragma once

#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QString>

// JPEG decoding through libjpeg. A damaged or missing picture gives a null
// image, never a crash.
namespace picture {

QImage decodeJpeg(const QByteArray &data);
// Reads a file or a resource path (":/logo.jpg") and decodes it.
QImage loadJpeg(const QString &path);
QPixmap loadPixmap(const QString &path);

} // namespace picture
