#include "features/chats/chat_conversation.hpp"

#include <array>
#include <utility>

namespace orvane {

namespace {
constexpr std::array<std::pair<ChatMessageLine::Delivery, std::string_view>, 4> deliveryNames{{
    {ChatMessageLine::Delivery::incoming, "incoming"},
    {ChatMessageLine::Delivery::sending, "sending"},
    {ChatMessageLine::Delivery::sent, "sent"},
    {ChatMessageLine::Delivery::failed, "failed"},
}};
}  // namespace

std::string_view ChatMessageLine::nameOf(Delivery delivery) {
  for (const auto& [value, name] : deliveryNames) {
    if (value == delivery) return name;
  }
  return "incoming";
}

std::optional<ChatMessageLine::Delivery> ChatMessageLine::deliveryNamed(std::string_view name) {
  for (const auto& [value, spelled] : deliveryNames) {
    if (spelled == name) return value;
  }
  return std::nullopt;
}

}  // namespace orvane
