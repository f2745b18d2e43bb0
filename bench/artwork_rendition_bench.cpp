// Cost of the phone's two renditions of a large cover (a 3000 × 3000 JPEG, as music
// stores ship them) through Qt's codecs: made from scratch, as on every new track, and
// taken from the one-entry cache, as on every heartbeat of the same track.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <memory>
#include <random>

#include "features/media/artwork_rendition.hpp"
#include "platform/qt/gui/qt_artwork_codec.hpp"

namespace orvane {
namespace {

// A photograph-like cover: smooth gradients with grain, JPEG at quality 90.
const Bytes& largeCover() {
  static const Bytes cover = [] {
    constexpr int side = 3000;
    QImage image(side, side, QImage::Format_RGB32);
    std::mt19937 random(11);
    std::uniform_int_distribution<int> grain(-10, 10);
    for (int y = 0; y < side; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < side; ++x) {
        line[x] = qRgb(std::clamp(x * 255 / side + grain(random), 0, 255),
                       std::clamp(y * 255 / side + grain(random), 0, 255),
                       std::clamp((x + y) * 255 / (2 * side) + grain(random), 0, 255));
      }
    }
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.write(image);
    return Bytes(data.begin(), data.end());
  }();
  return cover;
}

void BM_ArtworkRenditionsCold(benchmark::State& state) {
  const Bytes& cover = largeCover();
  auto codec = std::make_shared<QtArtworkCodec>();
  for (auto _ : state) {
    ArtworkRendition rendition(codec);  // a fresh cache each time
    auto made = rendition.make(cover);
    if (!made.small || !made.large) state.SkipWithError("a rendition is missing");
    benchmark::DoNotOptimize(made);
  }
  state.counters["cover_bytes"] = static_cast<double>(cover.size());
}
BENCHMARK(BM_ArtworkRenditionsCold)->Unit(benchmark::kMillisecond);

void BM_ArtworkRenditionsCached(benchmark::State& state) {
  const Bytes& cover = largeCover();
  ArtworkRendition rendition(std::make_shared<QtArtworkCodec>());
  const ArtworkRenditions first = rendition.make(cover);
  for (auto _ : state) {
    auto made = rendition.make(cover);
    benchmark::DoNotOptimize(made);
  }
  state.counters["small_bytes"] = first.small ? static_cast<double>(first.small->size()) : 0;
  state.counters["large_bytes"] = first.large ? static_cast<double>(first.large->size()) : 0;
}
BENCHMARK(BM_ArtworkRenditionsCached)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvane
