#pragma once

// std::expected where the standard library offers it. clang-14 (used only for the
// fuzz build) cannot compile libstdc++'s <expected>, so a small equivalent with the
// same spelling stands in there.

#include <version>

#if defined(__cpp_lib_expected)
#include <expected>
namespace orvane {
using std::expected;
using std::unexpected;
}  // namespace orvane
#else
#include <type_traits>
#include <utility>
#include <variant>

namespace orvane {

template <class E>
class unexpected {
 public:
  explicit unexpected(E e) : error_(std::move(e)) {}
  const E& error() const& { return error_; }
  E& error() & { return error_; }
  E&& error() && { return std::move(error_); }

 private:
  E error_;
};
template <class E>
unexpected(E) -> unexpected<E>;

template <class T, class E>
class expected {
 public:
  expected() requires std::is_default_constructible_v<T> : v_(std::in_place_index<0>) {}
  template <class U = T>
    requires std::is_constructible_v<T, U&&> && (!std::is_same_v<std::remove_cvref_t<U>, expected>) &&
             (!std::is_same_v<std::remove_cvref_t<U>, unexpected<E>>)
  expected(U&& value) : v_(std::in_place_index<0>, std::forward<U>(value)) {}
  template <class G>
  expected(const unexpected<G>& u) : v_(std::in_place_index<1>, u.error()) {}
  template <class G>
  expected(unexpected<G>&& u) : v_(std::in_place_index<1>, std::move(u.error())) {}

  bool has_value() const { return v_.index() == 0; }
  explicit operator bool() const { return has_value(); }
  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T& operator*() & { return std::get<0>(v_); }
  const T& operator*() const& { return std::get<0>(v_); }
  T* operator->() { return &std::get<0>(v_); }
  const T* operator->() const { return &std::get<0>(v_); }
  E& error() & { return std::get<1>(v_); }
  const E& error() const& { return std::get<1>(v_); }
  template <class U>
  T value_or(U&& other) const& { return has_value() ? value() : static_cast<T>(std::forward<U>(other)); }

 private:
  std::variant<T, E> v_;
};

template <class E>
class expected<void, E> {
 public:
  expected() = default;
  template <class G>
  expected(const unexpected<G>& u) : error_(u.error()), failed_(true) {}
  template <class G>
  expected(unexpected<G>&& u) : error_(std::move(u.error())), failed_(true) {}
  bool has_value() const { return !failed_; }
  explicit operator bool() const { return has_value(); }
  void value() const {}
  const E& error() const& { return error_; }
  E& error() & { return error_; }

 private:
  E error_{};
  bool failed_ = false;
};

}  // namespace orvane
#endif
