#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "base/bytes.hpp"
#include "base/expected.hpp"
#include "wire/envelope.hpp"

namespace orvane::phone {

// One line typed on standard input during a session.
namespace SessionCommand {

struct Send {  // send TYPE [JSON object of strings]
  std::string type;
  Body body;
};
struct Raw {  // raw HEX: bytes written to the TLS stream as they are
  Bytes bytes;
};
struct AutoAck {  // auto-ack on|off: whether message and url_share are acknowledged by themselves
  bool on = true;
};
struct Forget {};
struct Disconnect {};
struct Quit {};

using Command = std::variant<Send, Raw, AutoAck, Forget, Disconnect, Quit>;

// The error says what is wrong with the line; a blank line is an error too (callers
// skip those first).
expected<Command, std::string> parse(std::string_view line);

}  // namespace SessionCommand
}  // namespace orvane::phone
