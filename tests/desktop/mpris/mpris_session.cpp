#include "mpris_session.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "notifications/session_servers.hpp"

namespace orvane {

namespace {
void field(std::ostream* out, const char* name, const std::optional<std::string>& value) {
  *out << name << "=" << (value ? "\"" + *value + "\"" : std::string("none")) << " ";
}
}  // namespace

void PrintTo(const MacMediaReader::Response& r, std::ostream* out) {
  field(out, "title", r.title);
  field(out, "artist", r.trackArtistName);
  field(out, "album", r.albumName);
  *out << "playing=" << (r.playing ? (*r.playing ? "yes" : "no") : "none") << " ";
  field(out, "app", r.app);
  *out << "artwork=" << (r.artwork ? std::to_string(r.artwork->size()) + " bytes" : std::string("none"));
}

void PrintTo(const MacMediaObserver::Track& t, std::ostream* out) {
  field(out, "app", t.app);
  field(out, "title", t.title);
  field(out, "artist", t.artist);
  field(out, "album", t.album);
  *out << "playing=" << (t.playing ? "yes" : "no") << " ";
  *out << "artwork=" << (t.artwork ? std::to_string(t.artwork->size()) + " bytes" : std::string("none"));
}

}  // namespace orvane

namespace orvane::testing {

namespace {

expected<void, std::string> runScript(const std::string& command) {
  const char* script = std::getenv("ORVANE_MPRIS_ENV");
  if (script == nullptr) return unexpected(std::string("ORVANE_MPRIS_ENV is not set: run under mpris_env.sh"));
  auto ran = runTool(script, {command});
  if (!ran) return unexpected(ran.error());
  return {};
}

}  // namespace

expected<void, std::string> startPlayer() { return runScript("start-player"); }
expected<void, std::string> stopPlayer() { return runScript("stop-player"); }
expected<void, std::string> startHungPlayer() { return runScript("start-hung"); }
expected<void, std::string> stopHungPlayer() { return runScript("stop-hung"); }
expected<void, std::string> startOddPlayer() { return runScript("start-odd"); }
expected<void, std::string> stopOddPlayer() { return runScript("stop-odd"); }

std::optional<std::string> playerStatus() {
  auto out = runTool("playerctl", {"--player=mpv", "status"});
  if (!out) return std::nullopt;
  std::string status = *out;
  while (!status.empty() && (status.back() == '\n' || status.back() == ' ')) status.pop_back();
  return status;
}

expected<void, std::string> playerctl(const std::string& command) {
  auto ran = runTool("playerctl", {"--player=mpv", command});
  if (!ran) return unexpected(ran.error());
  return {};
}

Bytes coverBytes() {
  const char* path = std::getenv("ORVANE_MPRIS_COVER");
  if (path == nullptr) return {};
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace orvane::testing
