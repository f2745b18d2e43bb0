#pragma once

#include <cstdio>

#include <nlohmann/json.hpp>

#include "pairing/qr_image.hpp"

namespace orvane::cli {

using Event = nlohmann::ordered_json;

// Writes every event to standard output at once: one JSON object per line with
// --json, a readable line otherwise (the pairing QR code drawn beside its text).
class EventPrinter {
 public:
  EventPrinter(bool json, std::FILE* out = stdout) : json_(json), out_(out) {}
  void print(const Event& event, const std::optional<QRImage>& qr = std::nullopt);
  // A readable message for people (never in JSON mode's stdout stream).
  void note(const std::string& text);

 private:
  bool json_;
  std::FILE* out_;
};

// The readable form of one event.
std::string readable(const Event& event);

}  // namespace orvane::cli
