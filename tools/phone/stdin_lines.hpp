#pragma once

#include <functional>
#include <memory>
#include <string>

#include <asio/io_context.hpp>

namespace orvane::phone {

// Reads standard input line by line on a thread of its own and hands every line to
// `onLine` on the io_context's thread. A thread, not a descriptor watched by the
// io_context, so that input from a file or /dev/null works as well as from a pipe.
//
// The thread is detached: a blocking read cannot be interrupted portably, and the
// process ends without waiting for it. It keeps the io_context alive, so a line read
// while the process is ending is posted to a stopped context and never handled.
void startStdinLines(std::shared_ptr<asio::io_context> io, std::function<void(std::string)> onLine);

}  // namespace orvane::phone
