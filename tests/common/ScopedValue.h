// Gives a variable (a hook, a setting) another value for the length of a
// scope and puts the old one back when the scope ends, however it ends: a
// failed ASSERT returns early, and the tests after it must still find the
// variable as it was.
#pragma once

#include <type_traits>
#include <utility>

template <class T>
class ScopedValue {
 public:
  ScopedValue(T& variable, std::type_identity_t<T> value)
      : FVariable(variable), FSaved(std::exchange(variable, std::move(value))) {}
  ~ScopedValue() { FVariable = std::move(FSaved); }
  ScopedValue(const ScopedValue&) = delete;
  ScopedValue& operator=(const ScopedValue&) = delete;

 private:
  T& FVariable;
  T FSaved;
};
