#pragma once

#include <QImage>
#include <string>

#include "base/expected.hpp"
#include "pairing/qr_image.hpp"

namespace orvane {

// The QR bitmap as a picture with a white quiet zone of four modules around it
// (readers need it); a null image for an empty bitmap.
QImage qrPicture(const QRImage& image);

// Writes the QR bitmap as a PNG file with a white quiet zone of four modules around
// it (readers need it), replacing the file atomically.
expected<void, std::string> writeQRPng(const QRImage& image, const std::string& path);

}  // namespace orvane
