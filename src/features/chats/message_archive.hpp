#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "base/serial_queue.hpp"
#include "features/chats/chat_conversation.hpp"

namespace orvane {

// The one writer of the chats file ("messages.json" in the program's data folder).
// Saves and clears run one at a time on the worker queue, never on the caller's
// thread. Each carries the revision its caller gave it; one that arrives after a later
// save or clear has taken effect does nothing, so a slow stale save never brings back
// cleared or older chats. One instance per process.
class MessageArchive {
 public:
  static constexpr std::size_t maxConversations = 100;
  static constexpr std::size_t maxLines = 1000;
  static constexpr const char* fileName = "messages.json";

  // The program's data folder ("<data home>/Orvane"), or why there is none.
  using FolderLocator = std::function<expected<std::filesystem::path, std::string>()>;
  // Runs on the worker queue: nothing, or the failure's description.
  using Completion = std::function<void(expected<void, std::string> result)>;

  MessageArchive(std::shared_ptr<SerialQueue> worker, FolderLocator folder, const Clock* clock = &SystemClock::shared());

  // The file's path; creates the folder (0700) with any missing parents.
  expected<std::filesystem::path, std::string> fileURL() const;

  // Writes the bounded list atomically (0600) unless a later revision took effect.
  void save(std::vector<ChatConversation> conversations, std::int64_t revision, Completion done);
  // Removes the file unless a later revision took effect.
  void clear(std::int64_t revision, Completion done);

  // What is written: the 100 newest conversations, their lines cut to a budget of 1000
  // handed out from the newest conversation on (each keeps its newest lines); the
  // conversations after the budget is spent, and any left without lines, are dropped.
  static std::vector<ChatConversation> bounded(const std::vector<ChatConversation>& conversations);

  struct Loaded {
    std::vector<ChatConversation> conversations;  // newest first, as written
    std::optional<std::string> error;             // why nothing could be loaded
  };
  // Reads the file on the caller's thread, at start before any save. A file that cannot
  // be read or decoded is kept aside ("messages.json.unreadable-<UTC time>") so that
  // the next save does not destroy the user's chats; the error says where it went.
  Loaded load();

  // The revision of the last save or clear that took effect; read it on the worker.
  std::int64_t latestRevision() const;

 private:
  // What the worker's tasks use, shared with them: a save or clear posted just before
  // the archive goes away still runs to its end instead of touching a dead object.
  struct Core;

  std::shared_ptr<SerialQueue> worker_;
  std::shared_ptr<Core> core_;
};

}  // namespace orvane
