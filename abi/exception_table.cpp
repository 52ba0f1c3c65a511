#include "abi/exception_table.h"

#include "abi/table_cursor.h"
#include "abi/type_matching.h"

namespace dv {

namespace {

// The parts of a table's header needed to follow one call-site entry.
struct TableLayout {
  const uint8_t* call_sites;   // first call-site entry
  const uint8_t* action_table; // first byte after the call-site table
  const uint8_t* action_limit; // action records end here
  const uint8_t* type_base;    // end of the type table, null when there is none
  bool type_base_in_range;     // the base lies within the table's window
  uint8_t type_encoding;
};

uintptr_t address_of(const uint8_t* pointer) noexcept {
  return reinterpret_cast<uintptr_t>(pointer);
}

const uint8_t* pointer_at(uintptr_t address) noexcept {
  return reinterpret_cast<const uint8_t*>(address);
}

uint8_t read_byte(TableCursor& cursor) noexcept {
  if (cursor_remaining(cursor) == 0) {
    cursor.overrun = true;
    return 0;
  }
  return *cursor.position++;
}

// Reads the header up to the call-site entries. False when the header is damaged.
bool read_layout(TableCursor& cursor, TableLayout& layout) noexcept {
  uint8_t landing_pad_base_encoding = read_byte(cursor);
  if (landing_pad_base_encoding != kEncodingOmit)
    read_encoded_pointer(landing_pad_base_encoding, cursor);
  layout.type_encoding = read_byte(cursor);
  layout.type_base = nullptr;
  layout.type_base_in_range = false;
  if (layout.type_encoding != kEncodingOmit) {
    uint64_t offset = read_uleb128(cursor);
    layout.type_base_in_range = offset <= cursor_remaining(cursor);
    layout.type_base = layout.type_base_in_range ? cursor.position + offset : cursor.limit;
  }
  read_byte(cursor); // call-site encoding: entries are always ULEB128 pairs
  uint64_t length = read_uleb128(cursor);
  if (cursor.overrun || length > cursor_remaining(cursor))
    return false;
  layout.call_sites = cursor.position;
  layout.action_table = cursor.position + length;
  layout.action_limit = cursor.limit;
  if (layout.type_base != nullptr)
    layout.action_limit = address_of(layout.type_base) < address_of(layout.action_table)
                              ? layout.action_table
                              : layout.type_base;
  return true;
}

// Reads call-site entries up to the `call_site`-th. False when the table ends first.
bool find_entry(const TableLayout& layout, int32_t call_site, uint64_t& landing_pad,
                uint64_t& action) noexcept {
  TableCursor cursor{layout.call_sites, layout.action_table, false};
  for (int32_t index = 1; index <= call_site; ++index) {
    if (cursor_remaining(cursor) == 0)
      return false;
    landing_pad = read_uleb128(cursor);
    action = read_uleb128(cursor);
    if (cursor.overrun)
      return false;
  }
  return true;
}

// The catch type of type-table entry `index`: null for a catch-all, and `found` false
// when the entry lies outside the type table.
const void* catch_type_at(const TableLayout& layout, uint32_t index, bool& found) noexcept {
  found = true;
  unsigned size = encoded_value_size(layout.type_encoding);
  if (layout.type_base == nullptr || size == 0 || index == 0)
    return nullptr;
  uint64_t span = address_of(layout.type_base) - address_of(layout.action_table);
  if (!layout.type_base_in_range ||
      address_of(layout.type_base) < address_of(layout.action_table) ||
      static_cast<uint64_t>(index) * size > span) {
    found = false;
    return nullptr;
  }
  TableCursor cursor{layout.type_base - static_cast<size_t>(index) * size, layout.type_base, false};
  return reinterpret_cast<const void*>(
      static_cast<uintptr_t>(read_encoded_pointer(layout.type_encoding, cursor)));
}

// Whether the catch clause of a positive type filter catches `thrown_type`. Filters
// whose low 32 bits are not positive are catch-alls; an entry outside the type table
// catches nothing.
bool catch_clause_matches(const TableLayout& layout, int64_t filter,
                          const void* thrown_type) noexcept {
  auto low = static_cast<int32_t>(static_cast<uint32_t>(filter));
  if (low <= 0)
    return true;
  bool found;
  const void* catch_type = catch_type_at(layout, static_cast<uint32_t>(low), found);
  return found && type_matches(thrown_type, catch_type);
}

// Walks the action chain starting `action` - 1 bytes into the action table.
bool walk_actions(const TableLayout& layout, uint64_t action, const void* thrown_type,
                  DovrelHandler& handler) noexcept {
  uint64_t room = address_of(layout.action_limit) - address_of(layout.action_table);
  if (action - 1 >= room)
    return false;
  const uint8_t* record = layout.action_table + (action - 1);
  for (int count = 0; count < kMaxActionRecords; ++count) {
    TableCursor cursor{record, layout.action_limit, false};
    int64_t filter = read_sleb128(cursor);
    const uint8_t* next_field = cursor.position;
    int64_t next = read_sleb128(cursor);
    if (cursor.overrun)
      return false;
    if (filter == 0)
      handler.has_cleanup = true;
    if (filter > 0 && catch_clause_matches(layout, filter, thrown_type)) {
      handler.handler_found = true;
      handler.selector = static_cast<int32_t>(static_cast<uint32_t>(filter));
      return true;
    }
    if (next == 0)
      return false;
    uintptr_t target = address_of(next_field) + static_cast<uintptr_t>(next);
    if (target < address_of(layout.action_table) || target >= address_of(layout.action_limit))
      return false;
    record = pointer_at(target);
  }
  return false;
}

} // namespace

bool inspect_table(const uint8_t* table, size_t size, int32_t call_site, const void* thrown_type,
                   DovrelHandler* handler) noexcept {
  *handler = DovrelHandler{};
  if (table == nullptr || call_site <= 0)
    return false;
  TableCursor cursor = make_table_cursor(table, size);
  TableLayout layout;
  uint64_t landing_pad = 0;
  uint64_t action = 0;
  if (!read_layout(cursor, layout) || !find_entry(layout, call_site, landing_pad, action))
    return false;
  handler->entry_found = true;
  handler->landing_pad = static_cast<int32_t>(static_cast<uint32_t>(landing_pad));
  if (static_cast<uint32_t>(action) == 0) {
    handler->has_cleanup = true;
    return false;
  }
  return walk_actions(layout, static_cast<uint32_t>(action), thrown_type, *handler);
}

bool inspect_context(const DovrelSjLjContext* context, const void* thrown_type,
                     DovrelHandler* handler) noexcept {
  return inspect_table(context->lsda, kMaxExceptionTableBytes, context->call_site, thrown_type,
                       handler);
}

} // namespace dv
