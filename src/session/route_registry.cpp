#include "session/route_registry.hpp"

namespace orvane {

expected<void, std::string> RouteRegistry::add(std::string type, bool needsAuth, Route::Handler handle) {
  if (type.empty() || !handle) return unexpected(std::string("a route needs a message type and a handler"));
  if (routes_.contains(type)) return unexpected("two routes for the message type \"" + type + "\"");
  Route route{type, needsAuth, std::move(handle)};
  routes_.emplace(std::move(type), std::move(route));
  return {};
}

const Route* RouteRegistry::find(std::string_view type) const {
  auto it = routes_.find(type);
  return it == routes_.end() ? nullptr : &it->second;
}

}  // namespace orvane
