#pragma once
// A QR code as a picture: one square of `moduleSize` pixels per module, with a quiet zone.

#include <QImage>

namespace veltrona {

class QrCode;

// Black modules on white, four light modules of quiet zone on each side; drawn pixel by pixel,
// never smoothed, so a camera sees sharp edges.
QImage qrImage(const QrCode& code, int moduleSize);

} // namespace veltrona
