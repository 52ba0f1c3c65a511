// Small language helpers the containers need: reference stripping, move and
// forward, swap, and the type properties that pick byte copies over per-element
// construction.
#pragma once

namespace dv {

template <class T> struct remove_reference { using type = T; };
template <class T> struct remove_reference<T&> { using type = T; };
template <class T> struct remove_reference<T&&> { using type = T; };
template <class T> using remove_reference_t = typename remove_reference<T>::type;

template <class T> constexpr remove_reference_t<T>&& move(T&& value) {
  return static_cast<remove_reference_t<T>&&>(value);
}

template <class T> constexpr T&& forward(remove_reference_t<T>& value) {
  return static_cast<T&&>(value);
}

template <class T> constexpr T&& forward(remove_reference_t<T>&& value) {
  return static_cast<T&&>(value);
}

template <class T> constexpr void swap(T& left, T& right) {
  T saved(dv::move(left));
  left = dv::move(right);
  right = dv::move(saved);
}

template <class T> constexpr T min(T left, T right) {
  return right < left ? right : left;
}

namespace detail {

// Element types that can be moved around as raw bytes and need no destructor call.
template <class T>
inline constexpr bool is_plain = __is_trivially_copyable(T) && __is_trivially_destructible(T);

} // namespace detail
} // namespace dv
