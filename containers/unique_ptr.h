// dv::unique_ptr<T>: sole owner of one object from `new` (or, for T[], an array from
// `new[]`), destroyed with the owner unless released first. It lets a function that
// builds something in several allocations give everything back when one of them fails.
#pragma once

namespace dv {

template <class T> struct unique_ptr {
  T* pointer;

  explicit unique_ptr(T* owned = nullptr) : pointer(owned) {}
  unique_ptr(const unique_ptr&) = delete;
  unique_ptr& operator=(const unique_ptr&) = delete;
  ~unique_ptr() { delete pointer; }

  T* get() const { return pointer; }
  T* operator->() const { return pointer; }
  explicit operator bool() const { return pointer != nullptr; }
  // Gives up ownership and returns the object.
  T* release() {
    T* owned = pointer;
    pointer = nullptr;
    return owned;
  }
};

template <class T> struct unique_ptr<T[]> {
  T* pointer;

  explicit unique_ptr(T* owned = nullptr) : pointer(owned) {}
  unique_ptr(const unique_ptr&) = delete;
  unique_ptr& operator=(const unique_ptr&) = delete;
  ~unique_ptr() { delete[] pointer; }

  T* get() const { return pointer; }
  T* release() {
    T* owned = pointer;
    pointer = nullptr;
    return owned;
  }
};

} // namespace dv
