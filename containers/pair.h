// Two values side by side: `first`, then `second`.
#pragma once

#include "containers/utility.h"

namespace dv {

template <class A, class B> struct pair {
  A first;
  B second;

  pair() : first(), second() {}
  template <class X, class Y>
  pair(X&& first_value, Y&& second_value)
      : first(dv::forward<X>(first_value)), second(dv::forward<Y>(second_value)) {}
};

template <class A, class B> bool operator==(const pair<A, B>& left, const pair<A, B>& right) {
  return left.first == right.first && left.second == right.second;
}

} // namespace dv
