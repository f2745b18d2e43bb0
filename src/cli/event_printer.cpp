#include "cli/event_printer.hpp"

#include <algorithm>

#include "cli/qr_terminal.hpp"
#include "cli/terminal_safe.hpp"

namespace orvane::cli {

namespace {
// A field as shown: strings come from the phone more often than not, so they are made
// safe for the terminal; other values are JSON, which escapes on its own.
std::string shown(const Event::const_iterator& it) {
  if (it->is_string()) return terminalSafe(it->get<std::string>());
  return it->dump();
}

std::string str(const Event& e, const char* key) {
  auto it = e.find(key);
  if (it == e.end() || it->is_null()) return "";
  return shown(it);
}

// Each conversation with the command that answers it, then its lines: "<-" came in,
// "->" was sent from here, with how the reply went.
std::string readableChats(const Event& e) {
  const auto& items = e["items"];
  if (items.empty()) return "No chats.";
  std::string s = "Chats: " + std::to_string(items.size()) + (items.size() == 1 ? " conversation" : " conversations");
  for (const auto& c : items) {
    s += "\n  " + str(c, "title") + " in " + str(c, "app") + " (chat-reply " + str(c, "id") + " TEXT" +
         (c.value("canReply", false) ? ")" : "; no reply possible)");
    for (const auto& m : c["messages"]) {
      const bool outgoing = m.value("isOutgoing", false);
      s += std::string("\n    ") + (outgoing ? "-> " : "<- ") + str(m, "text");
      if (outgoing) s += " (" + str(m, "delivery") + ")";
    }
  }
  return s;
}
}  // namespace

EventPrinter::~EventPrinter() { flush(); }

std::string EventPrinter::format(const Event& event, const std::optional<QRImage>& qr) const {
  if (json_) return event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
  std::string line;
  if (qr) line += drawQR(*qr);
  return line + readable(event) + "\n";
}

void EventPrinter::print(const Event& event, const std::optional<QRImage>& qr) {
  lines_ += format(event, qr);
  gathered();
}

void EventPrinter::printJsonLine(std::string_view line) {
  lines_ += line;
  lines_.push_back('\n');
  gathered();
}

void EventPrinter::printState(const std::string& key, StateBuilder build) {
  // A state is printed once, at its last place: an earlier place of it is dropped. The
  // list holds one place per state (a handful), so it stays short however long a burst.
  auto earlier = std::find_if(states_.begin(), states_.end(), [&](const StatePlace& s) { return s.key == key; });
  if (earlier != states_.end()) states_.erase(earlier);
  states_.push_back({key, lines_.size(), std::move(build)});
  gathered();
}

void EventPrinter::gathered() {
  if (!flushOn_) {
    flush();
    return;
  }
  writeSettled();
  if (flushPosted_) return;
  flushPosted_ = true;
  flushOn_->post([weak = weak_from_this()] {
    if (auto self = weak.lock()) self->flush();
  });
}

void EventPrinter::writeSettled() {
  // What comes before the first state still to be built can no longer change. Written
  // once there is a good piece of it, so that a burst of thousands of events is never
  // held whole.
  constexpr std::size_t piece = 64 * 1024;
  const std::size_t settled = states_.empty() ? lines_.size() : states_.front().at;
  if (settled < piece) return;
  std::fwrite(lines_.data(), 1, settled, out_);
  lines_.erase(0, settled);
  for (StatePlace& state : states_) state.at -= settled;
}

void EventPrinter::flush() {
  flushPosted_ = false;
  if (lines_.empty() && states_.empty()) return;
  // Taken out first: should making a state's event fail, nothing is written twice.
  std::string lines;
  lines.swap(lines_);
  std::vector<StatePlace> states;
  states.swap(states_);
  std::size_t from = 0;
  for (const StatePlace& state : states) {
    if (!state.build) continue;
    auto event = (*state.build)();
    if (!event) continue;
    std::fwrite(lines.data() + from, 1, state.at - from, out_);
    from = state.at;
    const std::string line = format(*event, std::nullopt);
    std::fwrite(line.data(), 1, line.size(), out_);
  }
  std::fwrite(lines.data() + from, 1, lines.size() - from, out_);
  std::fflush(out_);
  // The buffer's memory is kept for the next burst.
  lines.clear();
  if (lines_.empty()) lines_.swap(lines);
}

void EventPrinter::note(const std::string& text) {
  // After what was printed before it.
  flush();
  std::FILE* to = json_ ? stderr : out_;
  std::fprintf(to, "%s\n", text.c_str());
  std::fflush(to);
}

std::string readable(const Event& e) {
  const std::string kind = str(e, "event");
  if (kind == "state") {
    std::string s = "State: " + str(e, "title");
    for (const char* key : {"detail", "deviceName", "reason"})
      if (e.contains(key)) s += " \u2014 " + str(e, key);
    return s;
  }
  if (kind == "invitation") {
    return "Pairing code: " + str(e, "qrText") + "\n(scan it with the phone; it expires in " +
           std::to_string(static_cast<int>(e.value("expiresIn", 0.0))) + " s; address " + str(e, "ip") + ")";
  }
  if (kind == "pending") {
    return str(e, "deviceName") + " (" + str(e, "deviceID") + ") asks to pair \u2014 type approve or deny";
  }
  if (kind == "pendingCleared") return "The pairing request has ended.";
  if (kind == "pairedDevice") {
    return e["name"].is_null() ? "No phone is paired." : "Paired phone: " + str(e, "name") + " (" + str(e, "id") + ")";
  }
  if (kind == "chats") return readableChats(e);
  if (kind == "archiveError") return str(e, "text");
  if (kind == "historyCleared") return "The paired phone's history was cleared.";
  if (kind == "phoneAddress") return e["address"].is_null() ? "Phone address unknown." : "Phone address: " + str(e, "address");
  // Every other event: its name and fields.
  std::string s = kind + ":";
  for (auto it = e.begin(); it != e.end(); ++it) {
    if (it.key() == "event") continue;
    s += " " + terminalSafe(it.key()) + "=" + shown(it);
  }
  return s;
}

}  // namespace orvane::cli
