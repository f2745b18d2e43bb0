#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>

#include "base/bytes.hpp"
#include "features/media/artwork_codec.hpp"
#include "features/media/mac_now_playing.hpp"

namespace orvane {

// Makes the two renditions of a cover that travel to the phone in `media_post`: a small
// JPEG for lists (at most 144 pixels, 5500 bytes) and a large one for the player (at
// most 800 pixels, 40000 bytes; the source itself when it is already a JPEG or PNG
// within both). Each rendition lowers the JPEG quality first and then the size, step by
// step, until it fits, and is left out when it never does.
//
// The same cover is sent again and again (every heartbeat), so the renditions of the
// last source are kept: one entry, guarded by one lock that is held while they are made,
// so that callers with the same cover at the same time compute it once.
class ArtworkRendition {
 public:
  static constexpr int smallMaxPixel = 144;
  static constexpr double smallQuality = 0.62;
  static constexpr std::size_t smallByteBudget = 5500;
  static constexpr int largeMaxPixel = 800;
  static constexpr double largeQuality = 0.82;
  static constexpr std::size_t largeByteBudget = 40000;
  static constexpr int maxAttempts = 12;

  explicit ArtworkRendition(std::shared_ptr<ArtworkCodec> codec) : codec_(std::move(codec)) {}

  // Both renditions of `source`; either may be missing (neither when the bytes are no
  // image). From the cache when `source` is the last one asked for.
  ArtworkRenditions make(const Bytes& source);
  // One rendition: see the class comment for the steps.
  std::optional<Bytes> encode(const Bytes& data, int maxPixel, double startQuality, std::size_t byteBudget,
                              bool preferOriginal);

 private:
  std::shared_ptr<ArtworkCodec> codec_;
  std::mutex mutex_;
  std::optional<Bytes> cachedSource_;
  std::optional<ArtworkRenditions> cachedRenditions_;
};

}  // namespace orvane
