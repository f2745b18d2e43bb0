#include "platform/qt/selection_log.hpp"

#include <algorithm>
#include <cctype>

namespace orvane {

namespace {

// Offers kept waiting for their selection, and types kept for one offer: a clipboard
// offers a handful, so these only bound what a broken log could make us hold.
constexpr std::size_t offersKept = 8;
constexpr std::size_t typesKept = 64;

constexpr std::string_view deviceObject = "_data_control_device_v1@";
constexpr std::string_view offerObject = "_data_control_offer_v1@";

// An event line reads "[  1234.567] zwlr_data_control_device_v1@3.selection(nil)", newer
// libwayland naming a queue before the object; the ext_ variant of the protocol has the
// same shape. A request of ours has " -> " before the object.
struct Event {
  std::string_view object;  // "device" or "offer"
  std::string_view id;      // the object's number
  std::string_view name;    // "selection", "offer", …
  std::string_view arguments;
};

std::optional<Event> eventIn(std::string_view line) {
  // The object the line is about comes first; the arguments may name others.
  const std::size_t device = line.find(deviceObject);
  const std::size_t offer = line.find(offerObject);
  const bool isDevice = device < offer;
  const std::size_t at = std::min(device, offer);
  if (at == std::string_view::npos) return std::nullopt;
  if (line.substr(0, at).find("->") != std::string_view::npos) return std::nullopt;
  std::size_t i = at + (isDevice ? deviceObject : offerObject).size();
  const std::size_t idStart = i;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) != 0) ++i;
  if (i == idStart || i >= line.size() || line[i] != '.') return std::nullopt;
  const std::size_t open = line.find('(', i);
  if (open == std::string_view::npos || line.back() != ')') return std::nullopt;
  return Event{isDevice ? "device" : "offer", line.substr(idStart, i - idStart), line.substr(i + 1, open - i - 1),
               line.substr(open + 1, line.size() - open - 2)};
}

// The number of the offer named in "zwlr_data_control_offer_v1@4278190080" or
// "new id zwlr_data_control_offer_v1@4278190080"; empty when there is none.
std::string_view offerIdIn(std::string_view argument) {
  const std::size_t at = argument.find(offerObject);
  if (at == std::string_view::npos) return {};
  std::string_view id = argument.substr(at + offerObject.size());
  const std::size_t end = std::min(id.size(), id.find_first_not_of("0123456789"));
  return id.substr(0, end);
}

}  // namespace

std::optional<Selection> SelectionLog::take(std::string_view line) {
  const std::optional<Event> event = eventIn(line);
  if (!event) return std::nullopt;
  const auto offer = [this](std::string_view id) {
    return std::find_if(offers_.begin(), offers_.end(), [id](const auto& o) { return o.first == id; });
  };

  if (event->object == "device" && event->name == "data_offer") {
    const std::string_view id = offerIdIn(event->arguments);
    if (id.empty()) return std::nullopt;
    // Numbers of offers that are gone are given out again.
    if (auto old = offer(id); old != offers_.end()) offers_.erase(old);
    offers_.emplace_back(std::string(id), std::vector<std::string>());
    if (offers_.size() > offersKept) offers_.pop_front();
    return std::nullopt;
  }
  if (event->object == "offer" && event->name == "offer") {
    // offer("text/plain"): the type between the quotes, which carries no quote itself.
    const std::string_view quoted = event->arguments;
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return std::nullopt;
    auto known = offer(event->id);
    if (known != offers_.end() && known->second.size() < typesKept) {
      known->second.emplace_back(quoted.substr(1, quoted.size() - 2));
    }
    return std::nullopt;
  }
  if (event->object == "device" && event->name == "selection") {
    if (event->arguments == "nil") return Selection{.cleared = true};
    Selection selection;
    if (auto known = offer(offerIdIn(event->arguments)); known != offers_.end()) {
      selection.types = std::move(known->second);
      offers_.erase(known);
    }
    return selection;
  }
  return std::nullopt;
}

}  // namespace orvane
