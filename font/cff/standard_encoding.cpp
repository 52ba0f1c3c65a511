#include "font/cff/standard_encoding.h"

namespace {

// Codes 32-126 are SIDs 1-95 in order; above 160 the table lists the occupied slots.
struct Slot {
  uint8_t code;
  uint8_t sid;
};

constexpr uint8_t kFirstPrintable = 32;
constexpr uint8_t kLastPrintable = 126;

constexpr Slot kUpperSlots[] = {
    {161, 96},  {162, 97},  {163, 98},  {164, 99},  {165, 100}, {166, 101}, {167, 102}, {168, 103},
    {169, 104}, {170, 105}, {171, 106}, {172, 107}, {173, 108}, {174, 109}, {175, 110}, {177, 111},
    {178, 112}, {179, 113}, {180, 114}, {182, 115}, {183, 116}, {184, 117}, {185, 118}, {186, 119},
    {187, 120}, {188, 121}, {189, 122}, {191, 123}, {193, 124}, {194, 125}, {195, 126}, {196, 127},
    {197, 128}, {198, 129}, {199, 130}, {200, 131}, {202, 132}, {203, 133}, {205, 134}, {206, 135},
    {207, 136}, {208, 137}, {225, 138}, {227, 139}, {232, 140}, {233, 141}, {234, 142}, {235, 143},
    {241, 144}, {245, 145}, {248, 146}, {249, 147}, {250, 148}, {251, 149},
};

} // namespace

uint16_t standard_encoding_sid(int code) {
  if (code >= kFirstPrintable && code <= kLastPrintable)
    return static_cast<uint16_t>(code - kFirstPrintable + 1);
  for (const Slot& slot : kUpperSlots) {
    if (slot.code == code)
      return slot.sid;
  }
  return 0;
}
