#include "features/chats/message_archive_format.hpp"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

namespace orvane::archive_format {

namespace {

using Json = nlohmann::json;
// Written with ordered objects so that members come out in the order the file has
// always had, and a file compares equal byte for byte from one version to the next.
using OrderedJson = nlohmann::ordered_json;

constexpr std::int64_t unixSecondsAt2001 = 978307200;
// About 253 years either side of 2001: far beyond any real chat, and well inside what
// a WallTime counts in nanoseconds, so that a wild number in a file cannot overflow it.
constexpr double farthestSeconds = 8.0e9;

OrderedJson encodeLine(const ChatMessageLine& line) {
  OrderedJson out = OrderedJson::object();
  out["id"] = line.id;
  if (line.sourceNotificationID) out["sourceNotificationID"] = *line.sourceNotificationID;
  out["text"] = line.text;
  out["isOutgoing"] = line.isOutgoing;
  out["sentAt"] = secondsSince2001(line.sentAt);
  out["delivery"] = std::string(ChatMessageLine::nameOf(line.delivery));
  return out;
}

OrderedJson encodeConversation(const ChatConversation& conversation) {
  OrderedJson out = OrderedJson::object();
  out["id"] = conversation.id;
  out["app"] = conversation.app;
  out["contact"] = conversation.contact;
  out["updatedAt"] = secondsSince2001(conversation.updatedAt);
  if (conversation.replyNotificationID) out["replyNotificationID"] = *conversation.replyNotificationID;
  out["canReply"] = conversation.canReply;
  OrderedJson lines = OrderedJson::array();
  for (const auto& line : conversation.messages) lines.push_back(encodeLine(line));
  out["messages"] = std::move(lines);
  return out;
}

// The members of one object of the file, read by name. The first fault is kept in
// `fault`, worded with `where` ("conversation 3"); after one, reads give empty values
// and the caller gives up on the whole file.
class Members {
 public:
  Members(const Json& object, std::string where, std::string& fault)
      : object_(object), where_(std::move(where)), fault_(fault) {}

  std::string text(const char* name) {
    const Json* value = required(name);
    if (value == nullptr) return {};
    if (!value->is_string()) {
      wrongType(name, "a text");
      return std::string();
    }
    return value->get<std::string>();
  }

  // None when left out; null reads as left out too, as other writers of this format
  // spell a missing value that way.
  std::optional<std::string> optionalText(const char* name) {
    const auto found = object_.find(name);
    if (found == object_.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) {
      wrongType(name, "a text");
      return std::nullopt;
    }
    return found->get<std::string>();
  }

  bool flag(const char* name) {
    const Json* value = required(name);
    if (value == nullptr) return false;
    if (!value->is_boolean()) {
      wrongType(name, "true or false");
      return false;
    }
    return value->get<bool>();
  }

  WallTime date(const char* name) {
    const Json* value = required(name);
    if (value == nullptr) return {};
    if (!value->is_number()) {
      wrongType(name, "a date (a number of seconds)");
      return WallTime{};
    }
    const double seconds = value->get<double>();
    if (!std::isfinite(seconds)) {
      wrongType(name, "a date (a number of seconds)");
      return WallTime{};
    }
    return fromSecondsSince2001(seconds);
  }

  const Json* list(const char* name) {
    const Json* value = required(name);
    if (value == nullptr) return nullptr;
    if (!value->is_array()) {
      wrongType(name, "a list");
      return nullptr;
    }
    return value;
  }

  void fail(std::string why) {
    if (fault_.empty()) fault_ = std::move(why);
  }
  const std::string& where() const { return where_; }

 private:
  const Json* required(const char* name) {
    if (!fault_.empty()) return nullptr;
    const auto found = object_.find(name);
    if (found == object_.end()) {
      fail(where_ + " has no \"" + name + "\"");
      return nullptr;
    }
    return &*found;
  }
  void wrongType(const char* name, std::string_view wanted) {
    fail("\"" + std::string(name) + "\" of " + where_ + " is not " + std::string(wanted));
  }

  const Json& object_;
  std::string where_;
  std::string& fault_;
};

// People count from one: the first conversation of the file is "conversation 1".
std::string ordinal(std::size_t index) { return std::to_string(index + 1); }

std::optional<ChatMessageLine> decodeLine(const Json& value, std::string where, std::string& fault) {
  if (!value.is_object()) {
    fault = where + " is not a JSON object";
    return std::nullopt;
  }
  Members members(value, std::move(where), fault);
  ChatMessageLine line;
  line.id = members.text("id");
  line.sourceNotificationID = members.optionalText("sourceNotificationID");
  line.text = members.text("text");
  line.isOutgoing = members.flag("isOutgoing");
  line.sentAt = members.date("sentAt");
  const std::string delivery = members.text("delivery");
  if (!fault.empty()) return std::nullopt;
  const auto named = ChatMessageLine::deliveryNamed(delivery);
  if (!named) {
    // Quoted through JSON so that any byte of a damaged file shows as something legible.
    members.fail(members.where() + " has an unknown \"delivery\": " +
                 Json(delivery).dump(-1, ' ', false, Json::error_handler_t::replace));
    return std::nullopt;
  }
  line.delivery = *named;
  return line;
}

std::optional<ChatConversation> decodeConversation(const Json& value, const std::string& where, std::string& fault) {
  if (!value.is_object()) {
    fault = where + " is not a JSON object";
    return std::nullopt;
  }
  Members members(value, where, fault);
  ChatConversation conversation;
  conversation.id = members.text("id");
  conversation.app = members.text("app");
  conversation.contact = members.text("contact");
  conversation.updatedAt = members.date("updatedAt");
  conversation.replyNotificationID = members.optionalText("replyNotificationID");
  conversation.canReply = members.flag("canReply");
  const Json* lines = members.list("messages");
  if (!fault.empty()) return std::nullopt;
  conversation.messages.reserve(lines->size());
  for (std::size_t i = 0; i < lines->size(); ++i) {
    auto line = decodeLine((*lines)[i], "message " + ordinal(i) + " of " + where, fault);
    if (!line) return std::nullopt;
    conversation.messages.push_back(std::move(*line));
  }
  return conversation;
}

// nlohmann reports a syntax fault only by throwing; it is caught here so that nothing
// leaves this file but a value.
expected<Json, std::string> parse(std::string_view text) {
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& error) {
    return unexpected("the file is not valid JSON (it goes wrong near byte " + std::to_string(error.byte) + ")");
  } catch (const std::exception&) {
    return unexpected(std::string("the file is not valid JSON"));
  }
}

}  // namespace

std::string encode(const std::vector<ChatConversation>& conversations) {
  // One conversation at a time into one buffer sized up front: a whole archive as one
  // document costs several times as much, in the tree of values and in the growing
  // and re-faulting of a large string.
  std::size_t estimate = 2;
  for (const auto& conversation : conversations) {
    estimate += 160 + conversation.id.size() + conversation.app.size() + conversation.contact.size();
    for (const auto& line : conversation.messages) estimate += 140 + line.id.size() + 2 * line.text.size();
  }
  std::string out;
  out.reserve(estimate);
  out.push_back('[');
  for (const auto& conversation : conversations) {
    if (out.size() > 1) out.push_back(',');
    // Texts from the phone should be UTF-8 already; a stray byte becomes U+FFFD rather
    // than costing the user every chat.
    out += encodeConversation(conversation).dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
  }
  out.push_back(']');
  return out;
}

expected<std::vector<ChatConversation>, std::string> decode(std::string_view json) {
  auto root = parse(json);
  if (!root) return unexpected(std::move(root.error()));
  if (!root->is_array()) return unexpected(std::string("the file does not hold a list of conversations"));
  std::vector<ChatConversation> conversations;
  conversations.reserve(root->size());
  std::string fault;
  for (std::size_t i = 0; i < root->size(); ++i) {
    auto conversation = decodeConversation((*root)[i], "conversation " + ordinal(i), fault);
    if (!conversation) return unexpected(std::move(fault));
    conversations.push_back(std::move(*conversation));
  }
  return conversations;
}

double secondsSince2001(WallTime t) {
  using namespace std::chrono;
  // Whole seconds and the rest apart: the nanoseconds since 1970 do not fit a double's
  // 53 bits, whereas the seconds since 2001 and a fraction do, to a tenth of a microsecond.
  const auto whole = floor<seconds>(t.time_since_epoch());
  const auto rest = duration_cast<nanoseconds>(t.time_since_epoch() - whole);
  return static_cast<double>(whole.count() - unixSecondsAt2001) + static_cast<double>(rest.count()) / 1e9;
}

WallTime fromSecondsSince2001(double count) {
  using namespace std::chrono;
  if (std::isnan(count)) count = 0;
  count = std::clamp(count, -farthestSeconds, farthestSeconds);
  const double whole = std::floor(count);
  // A double this size holds a time to about a tenth of a microsecond; rounding to the
  // microsecond gives back exactly the time that was written whenever that time was a
  // whole number of microseconds (the phone's milliseconds, a clock's microseconds).
  const auto micros = static_cast<std::int64_t>(std::llround((count - whole) * 1e6));
  return WallTime(duration_cast<WallTime::duration>(seconds(static_cast<std::int64_t>(whole) + unixSecondsAt2001) +
                                                    microseconds(micros)));
}

}  // namespace orvane::archive_format
