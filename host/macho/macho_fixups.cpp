#include "host/macho/macho_fixups.h"

#include <string>

#include "host/macho/macho_format.h"
#include "host/macho/macho_reader.h"

namespace dvhost::macho {
namespace {

constexpr uint64_t kPointerSize = 8;

// The address cursor shared by both interpreters: a segment, an offset that may wander
// anywhere while opcodes adjust it, and a check at every use.
class Cursor {
public:
  Cursor(const FixupLimits& limits, ByteReader& reader) : limits_(limits), reader_(reader) {}

  void set(uint64_t segment, uint64_t offset) {
    if (segment >= limits_.segment_sizes.size())
      reader_.fail("segment index " + std::to_string(segment) + " out of range");
    segment_ = static_cast<unsigned>(segment);
    offset_ = offset;
    set_ = true;
  }
  void advance(uint64_t bytes) { offset_ += bytes; }

  FixupLocation use() {
    if (!set_)
      reader_.fail("fixup before any segment was set");
    uint64_t size = limits_.segment_sizes[segment_];
    if (offset_ > size || size - offset_ < kPointerSize)
      reader_.fail("fixup at offset " + std::to_string(offset_) + " outside segment " +
                   std::to_string(segment_));
    if (++count_ > limits_.max_fixups)
      reader_.fail("more fixups than the image has pointers");
    return {segment_, offset_};
  }

private:
  const FixupLimits& limits_;
  ByteReader& reader_;
  unsigned segment_ = 0;
  uint64_t offset_ = 0;
  bool set_ = false;
  uint64_t count_ = 0;
};

} // namespace

void for_each_rebase(std::span<const uint8_t> opcodes, const FixupLimits& limits,
                     const std::function<void(FixupLocation)>& apply) {
  ByteReader reader(opcodes, "rebase opcodes");
  Cursor cursor(limits, reader);
  while (!reader.at_end()) {
    uint8_t byte = reader.byte();
    uint8_t immediate = byte & kImmediateMask;
    switch (byte & kOpcodeMask) {
    case kRebaseDone:
      return;
    case kRebaseSetTypeImm:
      if (immediate != kRebaseTypePointer)
        reader.fail("rebase type " + std::to_string(immediate) + " is not supported");
      break;
    case kRebaseSetSegmentAndOffsetUleb:
      cursor.set(immediate, reader.uleb());
      break;
    case kRebaseAddAddrUleb:
      cursor.advance(reader.uleb());
      break;
    case kRebaseAddAddrImmScaled:
      cursor.advance(immediate * kPointerSize);
      break;
    case kRebaseDoRebaseImmTimes:
      for (unsigned i = 0; i < immediate; ++i) {
        apply(cursor.use());
        cursor.advance(kPointerSize);
      }
      break;
    case kRebaseDoRebaseUlebTimes:
      for (uint64_t i = 0, times = reader.uleb(); i < times; ++i) {
        apply(cursor.use());
        cursor.advance(kPointerSize);
      }
      break;
    case kRebaseDoRebaseAddAddrUleb:
      apply(cursor.use());
      cursor.advance(reader.uleb() + kPointerSize);
      break;
    case kRebaseDoRebaseUlebTimesSkippingUleb: {
      uint64_t times = reader.uleb();
      uint64_t skip = reader.uleb();
      for (uint64_t i = 0; i < times; ++i) {
        apply(cursor.use());
        cursor.advance(skip + kPointerSize);
      }
      break;
    }
    default:
      reader.fail("unknown opcode " + std::to_string(byte));
    }
  }
}

void for_each_bind(std::span<const uint8_t> opcodes, BindTable table, const FixupLimits& limits,
                   const std::function<void(const BindRecord&)>& apply) {
  ByteReader reader(opcodes, table == BindTable::lazy   ? "lazy bind opcodes"
                             : table == BindTable::weak ? "weak bind opcodes"
                                                        : "bind opcodes");
  Cursor cursor(limits, reader);
  BindRecord record{{0, 0}, 0, {}, 0};
  bool has_symbol = false;
  auto bind = [&] {
    if (!has_symbol)
      reader.fail("bind without a symbol");
    record.location = cursor.use();
    apply(record);
  };
  while (!reader.at_end()) {
    uint8_t byte = reader.byte();
    uint8_t immediate = byte & kImmediateMask;
    switch (byte & kOpcodeMask) {
    case kBindDone:
      if (table != BindTable::lazy)
        return;
      break;
    case kBindSetDylibOrdinalImm:
      record.dylib_ordinal = immediate;
      break;
    case kBindSetDylibOrdinalUleb:
      record.dylib_ordinal = static_cast<int64_t>(reader.uleb() & 0xFFFF);
      break;
    case kBindSetDylibSpecialImm:
      // Sign-extended: 0 the image itself, 0xF the main executable (-1), 0xE flat (-2).
      record.dylib_ordinal = immediate == 0 ? 0 : static_cast<int8_t>(kOpcodeMask | immediate);
      break;
    case kBindSetSymbolTrailingFlagsImm:
      record.symbol = reader.cstring();
      has_symbol = true;
      break;
    case kBindSetTypeImm:
      if (immediate != kBindTypePointer)
        reader.fail("bind type " + std::to_string(immediate) + " is not supported");
      break;
    case kBindSetAddendSleb:
      record.addend = reader.sleb();
      break;
    case kBindSetSegmentAndOffsetUleb:
      cursor.set(immediate, reader.uleb());
      break;
    case kBindAddAddrUleb:
      cursor.advance(reader.uleb());
      break;
    case kBindDoBind:
      bind();
      cursor.advance(kPointerSize);
      break;
    case kBindDoBindAddAddrUleb:
      bind();
      cursor.advance(reader.uleb() + kPointerSize);
      break;
    case kBindDoBindAddAddrImmScaled:
      bind();
      cursor.advance(immediate * kPointerSize + kPointerSize);
      break;
    case kBindDoBindUlebTimesSkippingUleb: {
      uint64_t times = reader.uleb();
      uint64_t skip = reader.uleb();
      for (uint64_t i = 0; i < times; ++i) {
        bind();
        cursor.advance(skip + kPointerSize);
      }
      break;
    }
    default:
      reader.fail("unknown opcode " + std::to_string(byte));
    }
  }
}

} // namespace dvhost::macho
