#pragma once

#include "features/media/artwork_codec.hpp"

namespace orvane {

// Cover art through Qt's image readers and writers (PNG built in, JPEG and GIF from the
// image-format plugins). A thumbnail is decoded at its scaled size, which the JPEG
// reader does in the decoder itself (a large cover never exists in full in memory);
// orientation tags are applied; transparency is laid on white, as JPEG has none.
// Reentrant: usable from any thread without the application object's event loop.
class QtArtworkCodec final : public ArtworkCodec {
 public:
  std::optional<SourceInfo> inspect(const Bytes& data) override;
  std::unique_ptr<Thumbnail> thumbnail(const Bytes& data, int maxPixel) override;
};

}  // namespace orvane
