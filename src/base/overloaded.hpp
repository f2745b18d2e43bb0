#pragma once

namespace orvane {

// One visitor made of several lambdas, one per case of a std::variant:
// std::visit(Overloaded{[](const A&) {…}, [](const B&) {…}}, value).
template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace orvane
