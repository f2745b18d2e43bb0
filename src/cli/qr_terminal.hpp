#pragma once

#include <string>

#include "pairing/qr_image.hpp"

namespace orvane::cli {

// The QR symbol drawn with half-block characters, two module rows per text line,
// light modules as blocks so that it reads correctly on a dark terminal, inside a
// quiet zone of two modules.
std::string drawQR(const QRImage& image);

}  // namespace orvane::cli
