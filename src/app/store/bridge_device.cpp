#include "app/store/bridge_device.hpp"

#include <vector>

#include "base/text.hpp"

namespace orvane {

namespace {
std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t space = text.find(' ', start);
    const std::size_t end = space == std::string::npos ? text.size() : space;
    if (end > start) words.push_back(text.substr(start, end - start));
    if (space == std::string::npos) break;
    start = space + 1;
  }
  return words;
}
}  // namespace

std::string BridgeDevice::displayName() const {
  const std::string& base = model && !model->empty() ? *model : name;
  const std::vector<std::string> words = wordsOf(base);
  if (words.size() < 2 || text::lower(words[0]) != text::lower(words[1])) return base;
  // Only the repeated word goes; everything after it stays.
  std::string result = words[0];
  for (std::size_t i = 2; i < words.size(); ++i) result += " " + words[i];
  return result;
}

}  // namespace orvane
