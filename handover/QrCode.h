#pragma once
// The QR code of an offer's address, as libqrencode makes it, and its picture on a terminal.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

class QrCode {
public:
    // Nothing when the text does not fit a QR code (or libqrencode fails).
    static std::optional<QrCode> encode(std::string_view text);

    // Modules per side, without a quiet zone.
    int width() const { return width_; }
    // Whether the module at column x, row y is dark; outside the code, false (the quiet zone).
    bool dark(int x, int y) const;

private:
    int width_ = 0;
    std::vector<bool> dark_;
};

// The code in UTF-8 half blocks, two module rows to a line, with `margin` light modules around
// it. A block is a light module: a terminal draws text light on dark as a rule, and a code must
// be dark on light to scan.
std::string halfBlockText(const QrCode& code, int margin = 2);

} // namespace veltrona
