#include "features/now_playing/stream_line_buffer.hpp"

namespace orvane {

std::vector<std::string> StreamLineBuffer::append(std::string_view chunk) {
  std::vector<std::string> lines;
  while (!chunk.empty()) {
    const std::size_t end = chunk.find('\n');
    const std::string_view piece = chunk.substr(0, end);
    if (!discarding_) {
      if (partial_.size() + piece.size() > maxLine_) {
        discarding_ = true;
        partial_.clear();
        partial_.shrink_to_fit();
      } else {
        partial_.append(piece);
      }
    }
    if (end == std::string_view::npos) break;
    if (!discarding_) lines.push_back(std::move(partial_));
    partial_.clear();
    discarding_ = false;
    chunk.remove_prefix(end + 1);
  }
  return lines;
}

void StreamLineBuffer::clear() {
  partial_.clear();
  discarding_ = false;
}

}  // namespace orvane
