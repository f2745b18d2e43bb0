#pragma once

#include <functional>
#include <memory>
#include <string>

#include <asio/io_context.hpp>

#include "base/expected.hpp"
#include "nudge_listener.hpp"
#include "phone_options.hpp"
#include "phone_session.hpp"

namespace orvane::phone {

// Why a command could not begin: the exit status and a sentence for the user.
struct StartFailure {
  int status;
  std::string message;
};

// What a started command runs on: a session that takes the standard-input lines, or
// a nudge listener. Both live as long as their pending work on the io_context.
struct StartedCommand {
  std::shared_ptr<PhoneSession> session;
  std::shared_ptr<NudgeListener> listener;
};

// Turns the options of pair, connect, probe or listen-nudge into a running session or
// listener on `io`; `finish` receives the exit status when it is over.
expected<StartedCommand, StartFailure> startCommand(const PhoneOptions& options, asio::io_context& io,
                                                    std::function<void(int)> finish);

}  // namespace orvane::phone
