#include "base/user_defaults.hpp"

namespace orvane {

namespace {
template <class T>
std::optional<T> typed(const std::optional<DefaultsValue>& v) {
  if (!v) return std::nullopt;
  if (const T* p = std::get_if<T>(&*v)) return *p;
  return std::nullopt;
}
}  // namespace

std::optional<std::string> UserDefaults::string(std::string_view key) const { return typed<std::string>(object(key)); }
std::optional<bool> UserDefaults::boolean(std::string_view key) const { return typed<bool>(object(key)); }
std::optional<std::int64_t> UserDefaults::integer(std::string_view key) const { return typed<std::int64_t>(object(key)); }
std::optional<Bytes> UserDefaults::data(std::string_view key) const { return typed<Bytes>(object(key)); }
std::optional<WallTime> UserDefaults::date(std::string_view key) const { return typed<WallTime>(object(key)); }

void UserDefaults::setMany(std::vector<std::pair<std::string, DefaultsValue>> values) {
  for (auto& [key, value] : values) set(key, std::move(value));
}

std::optional<DefaultsValue> MemoryUserDefaults::object(std::string_view key) const {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemoryUserDefaults::set(std::string_view key, DefaultsValue value) {
  std::lock_guard lock(mutex_);
  values_.insert_or_assign(std::string(key), std::move(value));
}

void MemoryUserDefaults::remove(std::string_view key) {
  std::lock_guard lock(mutex_);
  auto it = values_.find(key);
  if (it != values_.end()) values_.erase(it);
}

void MemoryUserDefaults::setMany(std::vector<std::pair<std::string, DefaultsValue>> values) {
  std::lock_guard lock(mutex_);
  for (auto& [key, value] : values) values_.insert_or_assign(std::move(key), std::move(value));
}

std::size_t MemoryUserDefaults::size() const {
  std::lock_guard lock(mutex_);
  return values_.size();
}

}  // namespace orvane
