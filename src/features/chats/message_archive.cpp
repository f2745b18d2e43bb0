#include "features/chats/message_archive.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/atomic_file.hpp"
#include "features/chats/message_archive_format.hpp"

namespace orvane {

namespace fs = std::filesystem;

namespace {

constexpr mode_t folderMode = 0700;
constexpr mode_t fileMode = 0600;

// files:: words a failure as "<call> <path>: <system's reason>". The call name means
// nothing to the person reading it; the reason and the place do.
std::string reasonIn(const std::string& fileFailure) {
  const auto colon = fileFailure.rfind(": ");
  return colon == std::string::npos ? fileFailure : fileFailure.substr(colon + 2);
}

std::string systemReason(int error) { return std::strerror(error); }

// Why a file that is there could not be read: readFile gives no reason of its own.
std::string whyUnreadable(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a pipe must not hold us
  if (fd < 0) return systemReason(errno);
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular ? "it could not be read to its end" : "it is not a regular file";
}

}  // namespace

struct MessageArchive::Core {
  FolderLocator folder;
  const Clock* clock;
  std::int64_t latestRevision = 0;  // touched on the worker only

  expected<fs::path, std::string> fileURL() const {
    auto located = folder ? folder() : unexpected(std::string("No such file or directory"));
    if (!located) return unexpected(std::move(located.error()));
    if (auto made = files::ensureDirectory(*located, folderMode); !made) {
      return unexpected("the folder " + located->string() + " could not be made: " + reasonIn(made.error()));
    }
    return *located / fileName;
  }

  expected<void, std::string> save(const std::vector<ChatConversation>& conversations, std::int64_t revision) {
    if (revision < latestRevision) return {};
    const auto path = fileURL();
    if (!path) return unexpected(path.error());
    const std::string json = archive_format::encode(bounded(conversations));
    if (auto written = files::writeFileAtomically(*path, toBytes(json), fileMode); !written) {
      return unexpected(path->string() + " could not be written: " + reasonIn(written.error()));
    }
    // Created 0600 already; this repairs nothing today but states the file's rule
    // where a later change of the writer cannot lose it.
    if (::chmod(path->c_str(), fileMode) != 0) {
      return unexpected("the permissions of " + path->string() + " could not be set: " + systemReason(errno));
    }
    latestRevision = revision;
    return {};
  }

  expected<void, std::string> clear(std::int64_t revision) {
    if (revision < latestRevision) return {};
    const auto path = fileURL();
    if (!path) return unexpected(path.error());
    if (::unlink(path->c_str()) != 0 && errno != ENOENT) {
      return unexpected(path->string() + " could not be removed: " + systemReason(errno));
    }
    latestRevision = revision;
    return {};
  }
};

MessageArchive::MessageArchive(std::shared_ptr<SerialQueue> worker, FolderLocator folder, const Clock* clock)
    : worker_(std::move(worker)), core_(std::make_shared<Core>(Core{std::move(folder), clock})) {}

expected<fs::path, std::string> MessageArchive::fileURL() const { return core_->fileURL(); }

std::int64_t MessageArchive::latestRevision() const { return core_->latestRevision; }

void MessageArchive::save(std::vector<ChatConversation> conversations, std::int64_t revision, Completion done) {
  worker_->post([core = core_, conversations = std::move(conversations), revision, done = std::move(done)] {
    auto result = core->save(conversations, revision);
    if (done) done(std::move(result));
  });
}

void MessageArchive::clear(std::int64_t revision, Completion done) {
  worker_->post([core = core_, revision, done = std::move(done)] {
    auto result = core->clear(revision);
    if (done) done(std::move(result));
  });
}

std::vector<ChatConversation> MessageArchive::bounded(const std::vector<ChatConversation>& conversations) {
  // Works on positions, so that only what is kept is copied: the list in memory is
  // never cut, and this runs on the main thread for every save.
  std::vector<std::size_t> order(conversations.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return conversations[a].updatedAt > conversations[b].updatedAt; });
  if (order.size() > maxConversations) order.resize(maxConversations);

  // Handed out newest conversation first, each keeping its newest lines. Once the
  // budget is spent the rest get none and are dropped, so the file never holds more
  // than the budget whatever the conversations after it hold.
  std::size_t budget = maxLines;
  std::vector<ChatConversation> kept;
  kept.reserve(order.size());
  for (std::size_t index : order) {
    const ChatConversation& conversation = conversations[index];
    const std::size_t keep = std::min(conversation.messages.size(), budget);
    budget -= keep;
    if (keep == 0) continue;
    ChatConversation copy{conversation.id,       conversation.app,      conversation.contact, conversation.updatedAt,
                          conversation.replyNotificationID, conversation.canReply, {}};
    copy.messages.assign(conversation.messages.end() - static_cast<std::ptrdiff_t>(keep), conversation.messages.end());
    kept.push_back(std::move(copy));
  }
  return kept;
}

MessageArchive::Loaded MessageArchive::load() {
  const auto path = core_->fileURL();
  if (!path) return {{}, path.error()};
  // Runs before any save of this process: what is left is from a write that a crash
  // or a kill cut short, and the file itself still holds the content before it.
  files::removeLeftoverTemporaries(*path);

  struct stat info {};
  if (::lstat(path->c_str(), &info) != 0) {
    if (errno == ENOENT) return {};
    return {{}, path->string() + " could not be looked at: " + systemReason(errno)};
  }
  const auto bytes = files::readFile(*path);
  std::string why;
  if (!bytes) {
    why = path->string() + " could not be read: " + whyUnreadable(*path);
  } else {
    auto decoded = archive_format::decode(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (decoded) return {std::move(*decoded), std::nullopt};
    why = decoded.error();
  }
  // The list starts empty and its first save would replace the file, and with it the
  // user's chats: what they had is kept beside it, for them or a later version to
  // read, whether it could not be read (permissions, a failing disk) or not decoded.
  auto aside = files::setAside(*path, core_->clock->wallNow());
  if (!aside) return {{}, why + "; the file could not be kept aside either (" + reasonIn(aside.error()) + ")"};
  return {{}, why + "; the file was kept as " + aside->filename().string()};
}

}  // namespace orvane
