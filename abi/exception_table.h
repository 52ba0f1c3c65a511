// Reading a frame's exception table (LSDA, SjLj form) to learn whether the call-site
// entry in force catches a thrown type, runs cleanups, or takes no part.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "abi/sjlj_context.h"

namespace dv {

struct DovrelHandler {
  bool entry_found;
  bool has_cleanup;
  bool handler_found;
  int32_t landing_pad;
  int32_t selector;
};

// Limits on what is read of one table, so that a damaged table cannot send the reader
// through arbitrary memory: every byte read lies within kMaxExceptionTableBytes of the
// table's start, call-site entries within the call-site table, action records between
// the action table's start and the type-table base, type entries between the action
// table's start and the base, and an action chain has at most kMaxActionRecords records.
inline constexpr size_t kMaxExceptionTableBytes = size_t{1} << 20;
inline constexpr int kMaxActionRecords = 64;

// Inspects the table of `size` bytes at `table` for call-site entry `call_site`.
// Returns true exactly when a catch clause matches `thrown_type`; fills `handler`
// (all zero when the entry is not found).
bool inspect_table(const uint8_t* table, size_t size, int32_t call_site, const void* thrown_type,
                   DovrelHandler* handler) noexcept;

// inspect_table on the context's table and call-site entry.
bool inspect_context(const DovrelSjLjContext* context, const void* thrown_type,
                     DovrelHandler* handler) noexcept;

} // namespace dv
