// dv::vector<T>: a growable contiguous array.
//
// Three fields, in this order: `data` (null until storage is first needed),
// `size` (live elements) and `capacity` (elements the storage holds). Growth by
// one element doubles the capacity starting from 4; reserve and resize allocate
// exactly what they are asked for. Plain element types are moved as bytes;
// element types that own storage are move-constructed into their new place and
// the old object destroyed, so each object is destroyed exactly once.
//
// An allocation may fail by throwing (inside the font functions, abi/allocation_scope.h).
// Storage is allocated before anything changes and elements count as live as soon as
// they are built, so a failed growth leaves the vector as it was and every element is
// destroyed once.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "containers/placement.h"
#include "containers/type_visibility.h"
#include "containers/utility.h"
#include "runtime/memory.h"

namespace dv {
namespace detail {

// Storage for `count` elements from the global allocation operator, or null for
// none. The product is not checked: the allocation operator halts the machine (or
// throws) when it cannot satisfy a request.
template <class T> T* vector_allocate(size_t count) {
  if (count == 0) {
    return nullptr;
  }
  return static_cast<T*>(::operator new(count * sizeof(T)));
}

} // namespace detail

template <class T> struct DV_VISIBLE_TYPE vector {
  T* data;
  size_t size;
  size_t capacity;

  vector() : data(nullptr), size(0), capacity(0) {}
  explicit vector(size_t count) : vector() { resize(count); }
  vector(size_t count, const T& value) : vector() { resize(count, value); }
  vector(const T* first, const T* last) : vector() { insert(data, first, last); }

  vector(const vector& other) : vector() {
    reserve(other.size);
    append_copies(other.data, other.size);
  }

  vector(vector&& other) : data(other.data), size(other.size), capacity(other.capacity) {
    other.forget_storage();
  }

  ~vector() {
    clear();
    release(data);
  }

  vector& operator=(const vector& other) {
    if (this == &other) {
      return *this;
    }
    vector copy(other);
    swap_fields(copy);
    return *this;
  }

  vector& operator=(vector&& other) {
    if (this == &other) {
      return *this;
    }
    clear();
    release(data);
    data = other.data;
    size = other.size;
    capacity = other.capacity;
    other.forget_storage();
    return *this;
  }

  void reserve(size_t count) {
    if (capacity >= count) {
      return;
    }
    move_storage(detail::vector_allocate<T>(count), count);
  }

  void resize(size_t count) {
    if (count < size) {
      destroy_down_to(count);
      return;
    }
    if (count > size) {
      reserve(count);
      // Value-initialising a type with a trivial default constructor zero-fills it.
      if constexpr (__is_trivially_constructible(T) && detail::is_plain<T>) {
        dv::memset(data + size, 0, (count - size) * sizeof(T));
        size = count;
      }
      for (; size < count; ++size) {
        detail::construct_at(data + size);
      }
    }
  }

  void resize(size_t count, const T& value) {
    if (count <= size) {
      resize(count);
      return;
    }
    if (holds(&value)) {
      T copy(value);
      resize(count, copy);
      return;
    }
    reserve(count);
    for (; size < count; ++size) {
      detail::construct_at(data + size, value);
    }
  }

  void assign(size_t count, const T& value) {
    if (holds(&value)) {
      T copy(value);
      assign(count, copy);
      return;
    }
    clear();
    resize(count, value);
  }

  void assign(const T* first, const T* last) {
    if (overlaps(first, last)) {
      vector copy(first, last);
      assign(copy.data, copy.data + copy.size);
      return;
    }
    clear();
    insert(data, first, last);
  }

  // The common case, room left, stays small enough to inline at every call; growing
  // is out of line.
  template <class... Args> T& emplace_back(Args&&... args) {
    if (size == capacity) {
      return emplace_back_grown(dv::forward<Args>(args)...);
    }
    detail::construct_at(data + size, dv::forward<Args>(args)...);
    return data[size++];
  }

  // Room for one more element, grown as emplace_back would grow it.
  void reserve_one_more() {
    if (size == capacity) {
      reserve(grown_by_one());
    }
  }

  void push_back(const T& value) { emplace_back(value); }
  void push_back(T&& value) { emplace_back(dv::move(value)); }

  // Inserts [first, last) before `position`; returns the first inserted element,
  // or null when nothing was inserted into a vector that never had storage.
  T* insert(T* position, const T* first, const T* last) {
    size_t index = data ? index_of(position) : size;
    size_t count = static_cast<size_t>(last - first);
    if (count != 0) {
      // Copies that may fail to allocate are made before the gap opens.
      if (overlaps(first, last) || (!detail::is_plain<T> && index < size)) {
        vector copy(first, last);
        return insert_moved(index, copy);
      }
      reserve_for(count);
      if (index < size) {
        open_gap(index, count);
        copy_construct(data + index, first, count);
        size += count;
      } else {
        append_copies(first, count);
      }
    }
    return data ? data + index : nullptr;
  }

  // Inserts one element before `position` and returns it.
  T* emplace_at(T* position, T value) {
    size_t index = data ? index_of(position) : size;
    if (size == capacity) {
      reserve(grown_by_one());
    }
    open_gap(index, 1);
    detail::construct_at(data + index, dv::move(value));
    ++size;
    return data + index;
  }

  // Removes [first, last) from a vector of plain elements; returns the element
  // now at `first`. A range reaching past the end stops at the end.
  T* erase(T* first, T* last) requires detail::is_plain<T> {
    if (!data) {
      return nullptr;
    }
    size_t from = index_of(first);
    size_t to = min(index_of(last), size);
    if (from >= to) {
      return first;
    }
    if (size > to) {
      dv::memmove(data + from, data + to, (size - to) * sizeof(T));
    }
    size -= to - from;
    return data + from;
  }

  void clear() { destroy_down_to(0); }

  bool empty() const { return size == 0; }
  T* begin() { return data; }
  T* end() { return data + size; }
  const T* begin() const { return data; }
  const T* end() const { return data + size; }
  T& back() { return data[size - 1]; }
  const T& back() const { return data[size - 1]; }
  T& operator[](size_t index) { return data[index]; }
  const T& operator[](size_t index) const { return data[index]; }

private:
  size_t grown_by_one() const { return size == 0 ? 4 : 2 * size; }

  // Room for `count` more elements: the capacity doubles (from 4) until they fit.
  void reserve_for(size_t count) {
    if (capacity < size + count) {
      size_t target = capacity == 0 ? 4 : capacity;
      while (target < size + count) {
        target *= 2;
      }
      reserve(target);
    }
  }

  // Moves the elements of `source` in before `index`; moving allocates nothing.
  T* insert_moved(size_t index, vector& source) {
    reserve_for(source.size);
    open_gap(index, source.size);
    relocate(data + index, source.data, source.size);
    size += source.size;
    source.size = 0;
    return data + index;
  }

  size_t index_of(const T* position) const {
    return (reinterpret_cast<uintptr_t>(position) - reinterpret_cast<uintptr_t>(data)) / sizeof(T);
  }

  // True when `element` is one of the live elements of this vector.
  bool holds(const T* element) const {
    uintptr_t offset = reinterpret_cast<uintptr_t>(element) - reinterpret_cast<uintptr_t>(data);
    return data && offset < size * sizeof(T);
  }

  // True when [first, last) shares memory with the live elements.
  bool overlaps(const T* first, const T* last) const {
    uintptr_t begin = reinterpret_cast<uintptr_t>(data);
    uintptr_t end = begin + size * sizeof(T);
    return data && first != last &&
           reinterpret_cast<uintptr_t>(first)<end&& reinterpret_cast<uintptr_t>(last)> begin;
  }

  // A moved-from vector owns nothing, so destroying one (as every relocation of an
  // element that holds a vector does) asks the allocator for nothing.
  static void release(T* storage) {
    if (storage != nullptr) {
      ::operator delete(storage);
    }
  }

  void forget_storage() {
    data = nullptr;
    size = 0;
    capacity = 0;
  }

  void swap_fields(vector& other) {
    dv::swap(data, other.data);
    dv::swap(size, other.size);
    dv::swap(capacity, other.capacity);
  }

  // Transfers the live elements into `grown` (room for `grown_capacity`) and
  // releases the old storage.
  void move_storage(T* grown, size_t grown_capacity) {
    relocate(grown, data, size);
    release(data);
    data = grown;
    capacity = grown_capacity;
  }

  // The new element is built in the new storage before the old elements move, so
  // arguments that refer to elements of this vector stay valid.
  template <class... Args> __attribute__((noinline)) T& emplace_back_grown(Args&&... args) {
    size_t grown_capacity = grown_by_one();
    struct Storage {
      T* elements;
      ~Storage() { release(elements); }
    } grown{detail::vector_allocate<T>(grown_capacity)};
    detail::construct_at(grown.elements + size, dv::forward<Args>(args)...);
    move_storage(grown.elements, grown_capacity);
    grown.elements = nullptr;
    return data[size++];
  }

  void destroy_down_to(size_t count) {
    while (size > count) {
      --size;
      detail::destroy_at(data + size);
    }
  }

  // Moves the elements from `index` to the end up by `count` places, from the
  // last one down; the gap left behind holds no live objects.
  void open_gap(size_t index, size_t count) {
    if (index >= size) {
      return;
    }
    if constexpr (detail::is_plain<T>) {
      dv::memmove(data + index + count, data + index, (size - index) * sizeof(T));
    } else {
      for (size_t i = size; i-- > index;) {
        detail::construct_at(data + i + count, dv::move(data[i]));
        detail::destroy_at(data + i);
      }
    }
  }

  static void copy_construct(T* target, const T* source, size_t count) {
    if constexpr (detail::is_plain<T>) {
      if (count != 0) {
        dv::memcpy(target, source, count * sizeof(T));
      }
    } else {
      for (size_t i = 0; i < count; ++i) {
        detail::construct_at(target + i, source[i]);
      }
    }
  }

  // Copies `count` elements to the end, each live as soon as it is built.
  void append_copies(const T* source, size_t count) {
    if constexpr (detail::is_plain<T>) {
      copy_construct(data + size, source, count);
      size += count;
    } else {
      for (size_t i = 0; i < count; ++i, ++size) {
        detail::construct_at(data + size, source[i]);
      }
    }
  }

  static void relocate(T* target, T* source, size_t count) {
    if constexpr (detail::is_plain<T>) {
      if (count != 0) {
        dv::memcpy(target, source, count * sizeof(T));
      }
    } else {
      for (size_t i = 0; i < count; ++i) {
        detail::construct_at(target + i, dv::move(source[i]));
        detail::destroy_at(source + i);
      }
    }
  }
};

} // namespace dv
