#include "features/clipboard/clip_epoch_store.hpp"

namespace orvane {

namespace {
constexpr std::string_view kCounter = "zel.clipCounter";
constexpr std::string_view kMaxSeq = "zel.clipMaxSeq";
constexpr std::string_view kMaxOrigin = "zel.clipMaxOrigin";
}  // namespace

ClipEpoch ClipEpochStore::load() const {
  ClipEpoch e;
  if (!defaults_) return e;
  e.counter = defaults_->integer(kCounter).value_or(0);
  e.maxSeq = defaults_->integer(kMaxSeq).value_or(-1);
  e.maxOrigin = defaults_->string(kMaxOrigin).value_or("");
  return e;
}

void ClipEpochStore::save(std::int64_t counter, std::int64_t maxSeq, const std::string& maxOrigin) const {
  if (!defaults_) return;
  // One change of the store for the three keys: they describe one clock.
  defaults_->setMany({{std::string(kCounter), counter}, {std::string(kMaxSeq), maxSeq}, {std::string(kMaxOrigin), maxOrigin}});
}

}  // namespace orvane
