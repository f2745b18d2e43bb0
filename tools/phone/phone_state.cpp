#include "phone_state.hpp"

#include <nlohmann/json.hpp>
#include <system_error>

#include "base/atomic_file.hpp"

namespace orvane::phone {

namespace {

using Json = nlohmann::json;

expected<std::string, std::string> stringField(const Json& json, const char* key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_string()) return unexpected(std::string("has no text field \"") + key + "\"");
  return it->get<std::string>();
}

}  // namespace

expected<PhoneState, std::string> PhoneState::load(const std::filesystem::path& path) {
  const auto bytes = files::readFile(path);
  if (!bytes) return unexpected("cannot read the state file " + path.string() + " (pair first?)");
  const Json json = Json::parse(bytes->begin(), bytes->end(), nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) return unexpected("the state file " + path.string() + " is not a JSON object");

  PhoneState state;
  for (auto [key, field] : {std::pair{"deviceID", &state.deviceID}, std::pair{"phoneToken", &state.phoneToken},
                            std::pair{"pinB64", &state.pinB64}, std::pair{"host", &state.host}}) {
    auto value = stringField(json, key);
    if (!value) return unexpected("the state file " + path.string() + " " + value.error());
    *field = std::move(*value);
  }
  const auto port = json.find("port");
  if (port == json.end() || !port->is_number_unsigned() || port->get<std::uint64_t>() < 1 ||
      port->get<std::uint64_t>() > 65535)
    return unexpected("the state file " + path.string() + " has no port number");
  state.port = static_cast<std::uint16_t>(port->get<std::uint64_t>());
  if (auto name = json.find("macName"); name != json.end() && name->is_string()) state.macName = name->get<std::string>();
  if (auto code = json.find("discoveryToken"); code != json.end() && code->is_string())
    state.discoveryToken = code->get<std::string>();
  return state;
}

expected<void, std::string> PhoneState::save(const std::filesystem::path& path) const {
  Json json = {{"deviceID", deviceID}, {"phoneToken", phoneToken}, {"pinB64", pinB64}, {"host", host},
               {"port", port},         {"macName", macName}};
  json["discoveryToken"] = discoveryToken ? Json(*discoveryToken) : Json(nullptr);
  const std::string text = json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";

  if (const auto folder = path.parent_path(); !folder.empty()) {
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
      if (auto made = files::ensureDirectory(folder, 0700); !made) return unexpected(made.error());
    }
  }
  return files::writeFileAtomically(path, Bytes(text.begin(), text.end()), 0600);
}

expected<void, std::string> PhoneState::remove(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
  if (ec) return unexpected("cannot delete the state file " + path.string() + ": " + ec.message());
  return {};
}

}  // namespace orvane::phone
