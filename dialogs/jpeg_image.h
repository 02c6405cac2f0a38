#pragma once
// JPEG decoding with libjpeg, straight into a QImage.

#include <QByteArray>
#include <QImage>

// The picture in bytes, as 24-bit RGB (a greyscale file is converted by libjpeg). A null
// image for data that is not a JPEG, is damaged, or is larger than kMaxJpegSide on a side.
QImage decodeJpeg(const QByteArray& bytes);

inline constexpr int kMaxJpegSide = 8192;
