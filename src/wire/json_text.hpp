#pragma once

#include <optional>
#include <string>
#include <string_view>

// How the envelope's JSON is read beyond the grammar itself. The wire has always
// taken frames this way, and phones may depend on it: a frame that was accepted must
// stay accepted, and one that was refused must stay refused, whatever parser reads it.
namespace orvane::JsonText {

// The JSON text inside a payload: one leading UTF-8 byte order mark is skipped, and
// a NUL byte ends the text (nothing after it is read, not even checked as UTF-8).
std::string_view document(std::string_view payload);

// `json` with every integer that fits neither signed nor unsigned 64 bits written
// with a fraction ("18446744073709551616" becomes "18446744073709551616.0"), so that
// a parser that refuses such integers reads the floating-point number they stand
// for; it is refused only where a double cannot hold it. None when `json` has no
// such integer. Text inside strings and numbers that are not valid JSON are left
// as they are, so nothing invalid becomes valid.
std::optional<std::string> longIntegersAsFractions(std::string_view json);

// Appends `s`, which must be valid UTF-8, as a JSON string the way the JSON library
// writes it without ASCII-only output: the two-character escapes where JSON has them,
// \u00xx (lower-case) for the other control characters, every other byte as it is.
void appendQuoted(std::string& out, std::string_view s);

// Whether `s` is valid UTF-8, the condition for appendQuoted.
bool isValidUtf8(std::string_view s);

}  // namespace orvane::JsonText
