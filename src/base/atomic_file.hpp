#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "base/bytes.hpp"
#include "base/clock.hpp"
#include "base/expected.hpp"

// Plain POSIX file helpers for the core's own files (the pairing record, the chat
// archive). Nothing here throws; failures come back as a short text naming the call,
// the path and the system's reason.
namespace orvane::files {

// Replaces `path` with `bytes` so that a reader, or the next start after a crash, sees
// the old content or the new one, never a part. The bytes go to a new file in the same
// folder (a rename never crosses file systems there), created exclusively with `mode`
// (umask not applied), are flushed to disk and renamed over `path`; then the folder
// entry is flushed too. The folder must exist.
expected<void, std::string> writeFileAtomically(const std::filesystem::path& path, const Bytes& bytes,
                                                mode_t mode = 0600);

// The whole content of a regular file; none when it is missing, not a regular file or
// cannot be read.
std::optional<Bytes> readFile(const std::filesystem::path& path);

// Creates `dir` and every missing folder above it with `mode`, then sets `mode` on
// `dir` itself (also when it existed already), so that a folder left open by an older
// version or a wide umask is closed again. Fails when a part of the path exists and is
// not a folder, or a folder cannot be made.
expected<void, std::string> ensureDirectory(const std::filesystem::path& dir, mode_t mode = 0700);

// Keeps a file beside where it was, renamed to "<name>.<why>-<UTC time>" ("-2", "-3"…
// added when that name is taken): a file this program cannot read ("unreadable"), or
// one it replaces ("replaced"), so that nothing the user had is overwritten or lost.
// Gives the new path. With `keepOriginal` the file also stays where it is (until an
// atomic write replaces it), for a file that was only partly readable.
expected<std::filesystem::path, std::string> setAside(const std::filesystem::path& path, WallTime now,
                                                      bool keepOriginal = false, std::string_view why = "unreadable");

// Whether a file name is one of the temporaries that writeFileAtomically makes
// (".<name>.tmp-<random>"), whatever file it was writing.
bool isTemporaryName(std::string_view fileName);

// Removes the temporaries that interrupted atomic writes of `path` left in its
// folder; gives how many were removed. Call it before any writer of `path` starts.
std::size_t removeLeftoverTemporaries(const std::filesystem::path& path);

}  // namespace orvane::files
