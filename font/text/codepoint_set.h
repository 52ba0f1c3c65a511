// A small set of code points for counting the distinct ones of a text.
#pragma once
#include <stdint.h>

#include "containers/vector.h"

// A set of code points sized for at most `limit` members, held as value + 1 (0 marks a
// free slot) with linear probing in a table at most half full. Tables of the smallest
// size (texts of up to 8 code points) live inside the object, so a short text's render
// asks the heap for none.
class CodepointSet {
public:
  explicit CodepointSet(uint64_t limit) : mask_(table_size(limit) - 1) {
    if (mask_ < kInlineSlots) {
      for (unsigned int& slot : inline_slots_)
        slot = 0;
      slots_ = inline_slots_;
    } else {
      heap_slots_.assign(mask_ + 1, 0);
      slots_ = heap_slots_.data;
    }
  }
  CodepointSet(const CodepointSet&) = delete;
  CodepointSet& operator=(const CodepointSet&) = delete;

  // True when `codepoint` was not in the set yet; the set must have room for it.
  bool insert(unsigned int codepoint) {
    for (unsigned long slot = (codepoint * 0x9E3779B1u) & mask_;; slot = (slot + 1) & mask_) {
      if (slots_[slot] == codepoint + 1) {
        return false;
      }
      if (slots_[slot] == 0) {
        slots_[slot] = codepoint + 1;
        return true;
      }
    }
  }

private:
  static constexpr unsigned long kInlineSlots = 16;

  static unsigned long table_size(uint64_t limit) {
    unsigned long size = kInlineSlots;
    while (size < 2 * limit) {
      size *= 2;
    }
    return size;
  }

  unsigned long mask_;
  unsigned int* slots_;
  unsigned int inline_slots_[kInlineSlots];
  dv::vector<unsigned int> heap_slots_;
};
