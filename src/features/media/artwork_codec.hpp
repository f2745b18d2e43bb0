#pragma once

#include <memory>
#include <optional>

#include "base/bytes.hpp"

namespace orvane {

// The image codecs that artwork renditions need, from the platform (Qt's image readers
// and writers on Linux). Implementations are safe to call from any thread.
class ArtworkCodec {
 public:
  enum class Format { jpeg, png, other };

  // What an image source holds: the pixel size of its first image (0 where the file
  // does not say) and its file format.
  struct SourceInfo {
    int width = 0;
    int height = 0;
    Format format = Format::other;
  };

  // The first image of a source, shrunk and turned upright, ready to be encoded.
  class Thumbnail {
   public:
    virtual ~Thumbnail() = default;
    // The image as JPEG at `quality` (0 worst to 1 best); none when encoding fails.
    virtual std::optional<Bytes> encodeJpeg(double quality) const = 0;
  };

  virtual ~ArtworkCodec() = default;
  // None when `data` is no image the platform can read.
  virtual std::optional<SourceInfo> inspect(const Bytes& data) = 0;
  // The first image with its longest side at most `maxPixel` (never enlarged), its
  // orientation applied; none when it cannot be decoded.
  virtual std::unique_ptr<Thumbnail> thumbnail(const Bytes& data, int maxPixel) = 0;
};

}  // namespace orvane
