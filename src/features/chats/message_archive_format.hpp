#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/clock.hpp"
#include "base/expected.hpp"
#include "features/chats/chat_conversation.hpp"

// The message archive's file: one compact JSON array of conversations, newest first.
// Members are written in a fixed order; dates are seconds since 2001-01-01 00:00:00 UTC
// with a fraction. A reader takes members in any order and ignores unknown ones, but a
// missing required member, a wrong type or an unknown delivery fails the whole file.
namespace orvane::archive_format {

std::string encode(const std::vector<ChatConversation>& conversations);
// The error says what was wrong and where, in words a person can act on.
expected<std::vector<ChatConversation>, std::string> decode(std::string_view json);

double secondsSince2001(WallTime t);
// Rounded to the microsecond, the most a double of this size carries reliably; times
// beyond about 250 years from 2001 are held at that limit.
WallTime fromSecondsSince2001(double seconds);

}  // namespace orvane::archive_format
