#include "handover/QrCode.h"

#include <qrencode.h>

#include <memory>

namespace veltrona {

std::optional<QrCode> QrCode::encode(std::string_view text)
{
    const std::string terminated(text);
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> made(
        QRcode_encodeString(terminated.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!made || made->width <= 0)
        return std::nullopt;
    QrCode code;
    code.width_ = made->width;
    code.dark_.resize(static_cast<std::size_t>(made->width) * static_cast<std::size_t>(made->width));
    for (std::size_t i = 0; i < code.dark_.size(); ++i)
        code.dark_[i] = (made->data[i] & 1) != 0;
    return code;
}

bool QrCode::dark(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= width_)
        return false;
    return dark_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

std::string halfBlockText(const QrCode& code, int margin)
{
    std::string text;
    const int first = -margin;
    const int end = code.width() + margin;
    for (int y = first; y < end; y += 2) {
        for (int x = first; x < end; ++x) {
            // A row below the last one is quiet zone too.
            const bool topLight = !code.dark(x, y);
            const bool bottomLight = y + 1 >= end || !code.dark(x, y + 1);
            if (topLight && bottomLight)
                text += "\u2588";
            else if (topLight)
                text += "\u2580";
            else if (bottomLight)
                text += "\u2584";
            else
                text += ' ';
        }
        text += '\n';
    }
    return text;
}

} // namespace veltrona
