#include "base/atomic_file.hpp"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/crypto.hpp"

namespace orvane::files {

namespace fs = std::filesystem;

namespace {

std::string failure(std::string_view call, const fs::path& path, int error) {
  return std::string(call) + " " + path.string() + ": " + std::strerror(error);
}

// The folder that holds `path`; "." for a bare file name.
fs::path folderOf(const fs::path& path) {
  fs::path parent = path.parent_path();
  return parent.empty() ? fs::path(".") : parent;
}

bool writeAll(int fd, const Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Flushes a folder's entries, so that a rename inside it survives a power cut.
int syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int rc = ::fsync(fd);
  const int error = rc == 0 ? 0 : errno;
  ::close(fd);
  return error;
}

// Every temporary of `path` begins with this, so that leftovers can be found again.
std::string temporaryPrefix(const fs::path& path) { return "." + path.filename().string() + ".tmp-"; }

}  // namespace

expected<void, std::string> writeFileAtomically(const fs::path& path, const Bytes& bytes, mode_t mode) {
  const fs::path folder = folderOf(path);
  // A fresh name each time: a temporary left behind by a crash never blocks the next
  // write, and two writers never share one.
  const fs::path temp = folder / (temporaryPrefix(path) + crypto::uuidString());

  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return unexpected(failure("open", temp, errno));

  auto abandon = [&](std::string_view call) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    return unexpected(failure(call, temp, error));
  };
  // open() applied the umask; the file must carry exactly `mode`.
  if (::fchmod(fd, mode) != 0) return abandon("fchmod");
  if (!writeAll(fd, bytes)) return abandon("write");
  if (::fsync(fd) != 0) return abandon("fsync");
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return unexpected(failure("close", temp, error));
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return unexpected(failure("rename", path, error));
  }
  // The new content is in place from here on: a folder that cannot be flushed (some
  // file systems refuse fsync on a folder) only weakens the guarantee against a power
  // cut, and reporting the write as failed would make callers act on an untrue state.
  (void)syncFolder(folder);
  return {};
}

std::optional<Bytes> readFile(const fs::path& path) {
  // Non-blocking, so that a pipe or a device in the file's place is refused below
  // instead of holding the reader until someone writes to it; a regular file reads the
  // same either way.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  Bytes out;
  out.reserve(static_cast<std::size_t>(info.st_size));
  std::uint8_t buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    out.insert(out.end(), buffer, buffer + n);
  }
  ::close(fd);
  return out;
}

expected<void, std::string> ensureDirectory(const fs::path& dir, mode_t mode) {
  if (dir.empty()) return unexpected(std::string("mkdir: empty path"));
  fs::path sofar;
  for (const fs::path& part : dir) {
    if (part.empty()) continue;  // the element after a trailing "/"
    sofar /= part;
    if (::mkdir(sofar.c_str(), mode) == 0) continue;
    const int error = errno;
    struct stat info {};
    if (error == EEXIST && ::stat(sofar.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      return unexpected(failure("mkdir", sofar, ENOTDIR));
    }
    return unexpected(failure("mkdir", sofar, error));
  }
  if (::chmod(dir.c_str(), mode) != 0) return unexpected(failure("chmod", dir, errno));
  return {};
}

expected<fs::path, std::string> setAside(const fs::path& path, WallTime now, bool keepOriginal, std::string_view why) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
  const std::string base = path.filename().string() + "." + std::string(why) + "-" + stamp;
  for (int n = 1; n < 100; ++n) {
    const fs::path aside = folderOf(path) / (n == 1 ? base : base + "-" + std::to_string(n));
    // link (+ unlink) instead of rename: link never replaces a file kept earlier, and
    // an atomic write replaces the original's name, not the linked content.
    if (::link(path.c_str(), aside.c_str()) == 0) {
      if (!keepOriginal && ::unlink(path.c_str()) != 0) return unexpected(failure("unlink", path, errno));
      (void)syncFolder(folderOf(path));
      return aside;
    }
    if (errno != EEXIST) return unexpected(failure("link", aside, errno));
  }
  return unexpected("no free name to keep " + path.string() + " aside");
}

bool isTemporaryName(std::string_view fileName) {
  return fileName.starts_with(".") && fileName.find(".tmp-") != std::string_view::npos;
}

std::size_t removeLeftoverTemporaries(const fs::path& path) {
  const std::string prefix = temporaryPrefix(path);
  std::error_code ec;
  fs::directory_iterator it(folderOf(path), ec), end;
  std::vector<fs::path> leftovers;
  for (; !ec && it != end; it.increment(ec)) {
    if (it->path().filename().string().starts_with(prefix)) leftovers.push_back(it->path());
  }
  std::size_t removed = 0;
  for (const auto& leftover : leftovers) {
    if (fs::remove(leftover, ec)) ++removed;
  }
  return removed;
}

}  // namespace orvane::files
