#include "features/now_playing/media_remote_adapter.hpp"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>

#include "base/codec.hpp"
#include "base/text.hpp"

namespace orvane {

namespace {

using Json = nlohmann::json;

constexpr std::array<std::pair<std::string_view, MediaRemoteAdapter::Command>, 5> commands{{
    {"play", MediaRemoteAdapter::Command::play},
    {"pause", MediaRemoteAdapter::Command::pause},
    {"toggle", MediaRemoteAdapter::Command::toggle},
    {"next", MediaRemoteAdapter::Command::next},
    {"prev", MediaRemoteAdapter::Command::prev},
}};

// Parses without exceptions: anything that is not well-formed JSON (including text that
// is not UTF-8) comes back discarded.
Json parse(std::string_view text) { return Json::parse(text.begin(), text.end(), nullptr, false); }

std::optional<std::string> nonEmptyString(const Json& object, const char* key) {
  auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  std::string value = found->get<std::string>();
  if (value.empty()) return std::nullopt;
  return value;
}

std::optional<std::string> trimmedString(const Json& object, const char* key) {
  auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  std::string value = text::trim(found->get<std::string>());
  if (value.empty()) return std::nullopt;
  return value;
}

}  // namespace

bool MediaRemoteAdapter::send(Command command) {
  return run({"send", std::to_string(static_cast<int>(command))}, runTimeout).has_value();
}

std::optional<MediaRemoteAdapter::Command> MediaRemoteAdapter::command(std::string_view word) {
  for (const auto& [name, command] : commands)
    if (name == word) return command;
  return std::nullopt;
}

std::optional<MediaRemoteAdapter::Command> MediaRemoteAdapter::commandNumbered(int number) {
  for (const auto& [name, command] : commands)
    if (static_cast<int>(command) == number) return command;
  return std::nullopt;
}

std::optional<MediaRemoteAdapter::NowPlaying> MediaRemoteAdapter::parseNowPlaying(
    const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  const Json object = parse(*text);
  if (!object.is_object()) return std::nullopt;
  auto bundleID = nonEmptyString(object, "bundleIdentifier");
  auto title = nonEmptyString(object, "title");
  if (!bundleID || !title) return std::nullopt;

  NowPlaying playing{*bundleID, *title, trimmedString(object, "artist"), trimmedString(object, "album"), false, {}};
  if (auto art = object.find("artworkData"); art != object.end() && art->is_string()) {
    const auto& encoded = art->get_ref<const std::string&>();
    if (encoded.size() <= maxArtworkCharacters) playing.artwork = codec::base64Decode(encoded);
  }
  // An explicit flag wins; the rate is the fallback of adapters that report only it.
  if (auto flag = object.find("playing"); flag != object.end() && flag->is_boolean()) {
    playing.playing = flag->get<bool>();
  } else if (auto rate = object.find("playbackRate"); rate != object.end() && rate->is_number()) {
    playing.playing = rate->get<double>() != 0;
  }
  return playing;
}

std::optional<std::string> MediaRemoteAdapter::envelopePayload(std::string_view line) {
  const Json envelope = parse(line);
  if (!envelope.is_object()) return std::nullopt;
  auto payload = envelope.find("payload");
  if (payload == envelope.end()) return std::nullopt;
  if (payload->is_null()) return std::string("null");
  if (!payload->is_object()) return std::nullopt;
  return payload->dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace orvane
