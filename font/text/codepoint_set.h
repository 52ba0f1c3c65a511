// A small set of code points for counting the distinct ones of a text.
#pragma once
#include <stdint.h>

#include "containers/vector.h"

// A set of code points sized for at most `limit` members, held as value + 1 (0 marks a
// free slot) with linear probing in a table at most half full.
class CodepointSet {
public:
  explicit CodepointSet(uint64_t limit) : slots_(table_size(limit), 0) {}

  // True when `codepoint` was not in the set yet; the set must have room for it.
  bool insert(unsigned int codepoint) {
    const unsigned long mask = slots_.size - 1;
    for (unsigned long slot = (codepoint * 0x9E3779B1u) & mask;; slot = (slot + 1) & mask) {
      if (slots_.data[slot] == codepoint + 1) {
        return false;
      }
      if (slots_.data[slot] == 0) {
        slots_.data[slot] = codepoint + 1;
        return true;
      }
    }
  }

private:
  static unsigned long table_size(uint64_t limit) {
    unsigned long size = 16;
    while (size < 2 * limit) {
      size *= 2;
    }
    return size;
  }

  dv::vector<unsigned int> slots_;
};
