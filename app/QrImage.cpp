#include "app/QrImage.h"

#include "handover/QrCode.h"

namespace veltrona {

QImage qrImage(const QrCode& code, int moduleSize)
{
    constexpr int kQuietZone = 4;
    const int side = code.width() + 2 * kQuietZone;
    QImage modules(side, side, QImage::Format_Grayscale8);
    modules.fill(Qt::white);
    for (int y = 0; y < code.width(); ++y) {
        for (int x = 0; x < code.width(); ++x) {
            if (code.dark(x, y))
                modules.setPixel(x + kQuietZone, y + kQuietZone, qRgb(0, 0, 0));
        }
    }
    return modules.scaled(side * moduleSize, side * moduleSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace veltrona
