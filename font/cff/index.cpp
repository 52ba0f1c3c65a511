#include "font/cff/index.h"

#include "font/sfnt/sfnt.h"

namespace {

uint32_t read_offset(ByteView data, uint64_t at, uint8_t size) {
  uint32_t value = 0;
  for (uint8_t i = 0; i < size; ++i)
    value = value << 8 | data.data[at + i];
  return value;
}

// An INDEX whose count field is `count_size` bytes (2 in CFF, 4 in CFF2).
bool read_index(ByteView data, uint64_t at, uint64_t limit, uint8_t count_size, CffIndex& index) {
  if (limit > data.size || at > limit || limit - at < count_size)
    return false;
  index = CffIndex();
  index.count = read_offset(data, at, count_size);
  if (index.count == 0) {
    index.end = static_cast<uint32_t>(at + count_size);
    return true;
  }
  if (limit - at < count_size + 1u)
    return false;
  index.offset_size = data.data[at + count_size];
  if (index.offset_size < 1 || index.offset_size > 4)
    return false;
  const uint64_t offsets = at + count_size + 1;
  const uint64_t offsets_length = (uint64_t{index.count} + 1) * index.offset_size;
  if (limit - offsets < offsets_length)
    return false;
  index.offsets = static_cast<uint32_t>(offsets);
  index.data_base = static_cast<uint32_t>(offsets + offsets_length - 1);
  const uint32_t first = read_offset(data, offsets, index.offset_size);
  const uint32_t last =
      read_offset(data, offsets + uint64_t{index.count} * index.offset_size, index.offset_size);
  if (first != 1 || last < first || limit - index.data_base < last)
    return false;
  index.end = index.data_base + last;
  return true;
}

} // namespace

bool read_cff_index(ByteView data, uint64_t at, uint64_t limit, CffIndex& index) {
  return read_index(data, at, limit, 2, index);
}

bool read_cff2_index(ByteView data, uint64_t at, uint64_t limit, CffIndex& index) {
  return read_index(data, at, limit, 4, index);
}

bool cff_index_object(ByteView data, const CffIndex& index, uint32_t i, ByteSpan& object) {
  if (i >= index.count)
    return false;
  const uint64_t at = index.offsets + uint64_t{i} * index.offset_size;
  const uint32_t start = read_offset(data, at, index.offset_size);
  const uint32_t stop = read_offset(data, at + index.offset_size, index.offset_size);
  if (start < 1 || stop < start || index.data_base + uint64_t{stop} > index.end)
    return false;
  object.offset = index.data_base + start;
  object.length = stop - start;
  return true;
}
