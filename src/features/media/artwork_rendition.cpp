#include "features/media/artwork_rendition.hpp"

#include <algorithm>
#include <cmath>

namespace orvane {

ArtworkRenditions ArtworkRendition::make(const Bytes& source) {
  std::lock_guard lock(mutex_);
  if (cachedSource_ && cachedRenditions_ && *cachedSource_ == source) return *cachedRenditions_;
  ArtworkRenditions made{encode(source, smallMaxPixel, smallQuality, smallByteBudget, false),
                         encode(source, largeMaxPixel, largeQuality, largeByteBudget, true)};
  cachedSource_ = source;
  cachedRenditions_ = made;
  return made;
}

std::optional<Bytes> ArtworkRendition::encode(const Bytes& data, int maxPixel, double startQuality,
                                              std::size_t byteBudget, bool preferOriginal) {
  if (!codec_) return std::nullopt;
  const auto info = codec_->inspect(data);
  if (!info) return std::nullopt;
  const int longest = std::max(info->width, info->height);
  const bool sendable = info->format == ArtworkCodec::Format::jpeg || info->format == ArtworkCodec::Format::png;
  if (preferOriginal && longest >= 1 && longest <= maxPixel && data.size() <= byteBudget && sendable) return data;

  int px = longest > 0 && longest < maxPixel ? longest : maxPixel;
  double quality = startQuality;
  // The thumbnail depends only on the size: it is made once per size and encoded at
  // each quality tried there.
  std::unique_ptr<ArtworkCodec::Thumbnail> thumbnail;
  for (int attempt = 0; attempt < maxAttempts; ++attempt) {
    if (!thumbnail) thumbnail = codec_->thumbnail(data, px);
    if (!thumbnail) return std::nullopt;
    auto jpeg = thumbnail->encodeJpeg(quality);
    if (!jpeg) return std::nullopt;
    if (jpeg->size() <= byteBudget) return jpeg;
    if (quality > 0.5) {
      // Repeated subtraction, as the steps are defined: 0.82 lowered four times is a
      // hair above 0.5 in double precision, which earns one more step.
      quality -= 0.08;
    } else {
      if (px < 97) return std::nullopt;
      px = std::max(static_cast<int>(std::floor(px * 0.85)), 96);
      thumbnail.reset();
    }
  }
  return std::nullopt;
}

}  // namespace orvane
