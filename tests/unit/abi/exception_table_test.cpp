#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "abi/exception_table.h"
#include "abi/table_cursor.h"
#include "abi/type_info_vtables.h"
#include "abi/type_matching.h"

namespace {

using Bytes = std::vector<uint8_t>;

const dv::TypeInfoRecord kThrown{dv::class_type_info_address_point(), "6Thrown"};
const dv::TypeInfoRecord kOther{dv::class_type_info_address_point(), "5Other"};

struct Inspection {
  bool result;
  dv::DovrelHandler handler;
};

Inspection inspect(const Bytes& table, int32_t call_site, const void* thrown = &kThrown) {
  Inspection out{};
  out.handler = dv::DovrelHandler{true, true, true, 77, 77};
  out.result = dv::inspect_table(table.data(), table.size(), call_site, thrown, &out.handler);
  return out;
}

void expect_nothing(const Inspection& got) {
  EXPECT_FALSE(got.result);
  EXPECT_FALSE(got.handler.entry_found);
  EXPECT_FALSE(got.handler.has_cleanup);
  EXPECT_FALSE(got.handler.handler_found);
  EXPECT_EQ(got.handler.landing_pad, 0);
  EXPECT_EQ(got.handler.selector, 0);
}

// One catch-all clause (a null type entry) on call-site entry 1.
Bytes catch_all_table() {
  Bytes table = {0xff, 0x9b, 0x0d, 0x03, 0x02, 0x00, 0x01, 0x01, 0x00};
  table.resize(16, 0);
  return table;
}

TEST(ExceptionTable, CatchAllEntryCatchesAnything) {
  Bytes table = catch_all_table();
  for (const void* thrown : {static_cast<const void*>(&kThrown), static_cast<const void*>(&kOther),
                             static_cast<const void*>(nullptr)}) {
    Inspection got = inspect(table, 1, thrown);
    EXPECT_TRUE(got.result);
    EXPECT_TRUE(got.handler.entry_found);
    EXPECT_TRUE(got.handler.handler_found);
    EXPECT_FALSE(got.handler.has_cleanup);
    EXPECT_EQ(got.handler.landing_pad, 0);
    EXPECT_EQ(got.handler.selector, 1);
  }
  expect_nothing(inspect(table, 2));
}

TEST(ExceptionTable, EntriesWithoutActionAreCleanups) {
  const Bytes table = {0xff, 0xff, 0x03, 0x06, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00};
  Inspection got = inspect(table, 3);
  EXPECT_FALSE(got.result);
  EXPECT_TRUE(got.handler.entry_found);
  EXPECT_TRUE(got.handler.has_cleanup);
  EXPECT_FALSE(got.handler.handler_found);
  EXPECT_EQ(got.handler.landing_pad, 2);
  EXPECT_EQ(got.handler.selector, 0);
  EXPECT_EQ(inspect(table, 1).handler.landing_pad, 0);
}

TEST(ExceptionTable, CallSitesOutsideTheTableTakeNoPart) {
  const Bytes table = {0xff, 0xff, 0x03, 0x06, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00};
  for (int32_t call_site : {0, -1, 4, INT32_MIN, INT32_MAX})
    expect_nothing(inspect(table, call_site));
  dv::DovrelHandler handler{true, true, true, 5, 5};
  EXPECT_FALSE(dv::inspect_table(nullptr, 0, 1, &kThrown, &handler));
  EXPECT_FALSE(handler.entry_found || handler.has_cleanup || handler.handler_found);
}

TEST(ExceptionTable, ContextSuppliesTableAndCallSite) {
  Bytes table = catch_all_table();
  dv::DovrelSjLjContext context{};
  context.lsda = table.data();
  context.call_site = 1;
  dv::DovrelHandler handler{};
  EXPECT_TRUE(dv::inspect_context(&context, &kThrown, &handler));
  context.call_site = 0;
  EXPECT_FALSE(dv::inspect_context(&context, &kThrown, &handler));
  EXPECT_FALSE(handler.entry_found);
  context.lsda = nullptr;
  context.call_site = 1;
  EXPECT_FALSE(dv::inspect_context(&context, &kThrown, &handler));
  EXPECT_FALSE(handler.entry_found);
}

// Builds tables with a type table in any encoding. The type_info records the entries
// refer to (and the slots indirect entries go through) are placed after the type-table
// base, inside the same block, so that short pc-relative forms reach them.
class TableBuilder {
public:
  explicit TableBuilder(uint8_t type_encoding) : type_encoding_(type_encoding) {}

  void call_site(uint8_t landing_pad, uint8_t action) {
    call_sites_.push_back(landing_pad);
    call_sites_.push_back(action);
  }
  void action(int8_t filter, int8_t next) {
    actions_.push_back(static_cast<uint8_t>(filter) & 0x7f);
    actions_.push_back(static_cast<uint8_t>(next) & 0x7f);
  }
  // Type-table entry k (1-based, in call order): a type with this name, or null.
  void type(const char* name) { type_names_.push_back(name); }

  const uint8_t* build() {
    unsigned size = dv::encoded_value_size(type_encoding_);
    bytes_ = reinterpret_cast<uint8_t*>(storage_.data());
    size_t position = 0;
    auto put = [&](uint8_t byte) { bytes_[position++] = byte; };
    put(0xff);
    put(type_encoding_);
    size_t offset_field = position;
    position += 2;
    put(0x03);
    put(static_cast<uint8_t>(call_sites_.size()));
    for (uint8_t byte : call_sites_)
      put(byte);
    for (uint8_t byte : actions_)
      put(byte);
    size_t base = position + type_names_.size() * size;
    base_ = base;
    size_t type_offset = base - (offset_field + 2);
    bytes_[offset_field] = static_cast<uint8_t>(0x80 | (type_offset & 0x7f));
    bytes_[offset_field + 1] = static_cast<uint8_t>(type_offset >> 7);
    size_t records = (base + 15) & ~size_t{7};
    size_ = records + type_names_.size() * 24;
    for (size_t k = 1; k <= type_names_.size(); ++k)
      write_entry(base - k * size, records + (k - 1) * 24, type_names_[k - 1], size);
    return bytes_;
  }
  size_t size() const { return size_; }
  // The table itself, without the records placed after it.
  Bytes table_bytes() const { return Bytes(bytes_, bytes_ + base_); }

private:
  void write_entry(size_t entry, size_t record, const char* name, unsigned size) {
    uint64_t value = 0;
    if (name != nullptr) {
      dv::TypeInfoRecord info{dv::class_type_info_address_point(), name};
      std::memcpy(bytes_ + record, &info, sizeof info);
      uintptr_t target = reinterpret_cast<uintptr_t>(bytes_ + record);
      if (type_encoding_ & 0x80) {
        std::memcpy(bytes_ + record + 16, &target, 8);
        target += 16;
      }
      value = target;
      if ((type_encoding_ & 0x70) == 0x10)
        value = target - reinterpret_cast<uintptr_t>(bytes_ + entry);
    }
    std::memcpy(bytes_ + entry, &value, size);
  }

  uint8_t type_encoding_;
  Bytes call_sites_;
  Bytes actions_;
  std::vector<const char*> type_names_;
  std::vector<uint64_t> storage_ = std::vector<uint64_t>(512);
  uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  size_t base_ = 0;
};

TEST(ExceptionTable, TypeEntriesInEveryEncoding) {
  for (uint8_t encoding : {0x00, 0x80, 0x04, 0x0c, 0x12, 0x13, 0x14, 0x1a, 0x1b, 0x1c, 0x9b}) {
    TableBuilder builder(encoding);
    builder.call_site(4, 1);
    builder.action(3, 1); // other type
    builder.action(2, 1); // thrown type
    builder.action(1, 0); // catch-all
    builder.type(nullptr);
    builder.type("6Thrown");
    builder.type("5Other");
    const uint8_t* table = builder.build();
    dv::DovrelHandler handler{};
    EXPECT_TRUE(dv::inspect_table(table, builder.size(), 1, &kThrown, &handler)) << int{encoding};
    EXPECT_EQ(handler.selector, 2) << int{encoding};
    EXPECT_EQ(handler.landing_pad, 4);
    const dv::TypeInfoRecord unrelated{dv::class_type_info_address_point(), "9Unrelated"};
    EXPECT_TRUE(dv::inspect_table(table, builder.size(), 1, &unrelated, &handler));
    EXPECT_EQ(handler.selector, 1) << int{encoding};
  }
}

TEST(ExceptionTable, CatchOfAnotherTypeThenCleanup) {
  TableBuilder builder(0x00);
  builder.call_site(1, 1);
  builder.action(1, 1);
  builder.action(0, 0);
  builder.type("5Other");
  const uint8_t* table = builder.build();
  dv::DovrelHandler handler{};
  EXPECT_FALSE(dv::inspect_table(table, builder.size(), 1, &kThrown, &handler));
  EXPECT_TRUE(handler.entry_found);
  EXPECT_TRUE(handler.has_cleanup);
  EXPECT_FALSE(handler.handler_found);
  EXPECT_EQ(handler.landing_pad, 1);
  EXPECT_TRUE(dv::inspect_table(table, builder.size(), 1, &kOther, &handler));
  EXPECT_EQ(handler.selector, 1);
}

TEST(ExceptionTable, ExceptionSpecificationsArePassedOver) {
  TableBuilder builder(0x00);
  builder.call_site(0, 1);
  builder.action(-1, 1);
  builder.action(1, 0);
  builder.type("6Thrown");
  const uint8_t* table = builder.build();
  dv::DovrelHandler handler{};
  EXPECT_TRUE(dv::inspect_table(table, builder.size(), 1, &kThrown, &handler));
  EXPECT_EQ(handler.selector, 1);
  EXPECT_FALSE(handler.has_cleanup);
}

// Without a usable type table every positive filter is a catch-all.
TEST(ExceptionTable, NoOrUnsupportedTypeTableCatchesAll) {
  const Bytes no_type_table = {0xff, 0xff, 0x03, 0x02, 0x03, 0x01, 0x02, 0x00};
  Inspection got = inspect(no_type_table, 1, &kOther);
  EXPECT_TRUE(got.result);
  EXPECT_EQ(got.handler.selector, 2);
  EXPECT_EQ(got.handler.landing_pad, 3);
  Bytes uleb_type_table = {0xff, 0x01, 0x07, 0x03, 0x02, 0x03, 0x01, 0x02, 0x00, 0x00};
  EXPECT_TRUE(inspect(uleb_type_table, 1, &kOther).result);
}

// A chain of `records` records, each catching a type other than the thrown one except the
// last, which is a catch-all.
Bytes long_chain(int records) {
  Bytes table = {0xff, 0x00, 0x80, 0x00, 0x03, 0x02, 0x00, 0x01};
  for (int i = 1; i < records; ++i) {
    table.push_back(0x02);
    table.push_back(0x01);
  }
  table.push_back(0x01);
  table.push_back(0x00);
  // Type entries: [2] other type (at base - 16), [1] catch-all (at base - 8).
  uintptr_t other = reinterpret_cast<uintptr_t>(&kOther);
  const uint8_t* other_bytes = reinterpret_cast<const uint8_t*>(&other);
  table.insert(table.end(), other_bytes, other_bytes + 8);
  table.insert(table.end(), 8, 0);
  size_t type_offset = table.size() - 4;
  table[2] = static_cast<uint8_t>(0x80 | (type_offset & 0x7f));
  table[3] = static_cast<uint8_t>(type_offset >> 7);
  return table;
}

TEST(ExceptionTable, ActionChainsEndAfterSixtyFourRecords) {
  Inspection at_limit = inspect(long_chain(64), 1);
  EXPECT_TRUE(at_limit.result);
  EXPECT_EQ(at_limit.handler.selector, 1);
  Inspection past_limit = inspect(long_chain(65), 1);
  EXPECT_FALSE(past_limit.result);
  EXPECT_TRUE(past_limit.handler.entry_found);
  EXPECT_FALSE(past_limit.handler.handler_found);

  // A record whose next-offset points back at itself.
  Bytes loop = {0xff, 0x00, 0x0e, 0x03, 0x02, 0x00, 0x01, 0x01, 0x7f};
  uintptr_t other = reinterpret_cast<uintptr_t>(&kOther);
  const uint8_t* other_bytes = reinterpret_cast<const uint8_t*>(&other);
  loop.insert(loop.end(), other_bytes, other_bytes + 8);
  Inspection looped = inspect(loop, 1);
  EXPECT_FALSE(looped.result);
  EXPECT_TRUE(looped.handler.entry_found);
}

// Damaged tables: every case is given exactly its bytes, so a read past them shows up
// under the address sanitizer; none may report a handler.
TEST(ExceptionTable, DamagedTablesAreReadWithinBounds) {
  const Bytes cases[] = {
      {},
      {0xff},
      {0xff, 0xff},
      {0x00, 0x01, 0x02},                               // landing-pad base runs past the end
      {0xff, 0x9b, 0x80},                               // truncated type-table offset
      {0xff, 0xff, 0x03, 0x80},                         // truncated call-site length
      {0xff, 0xff, 0x03, 0x04, 0x00},                   // call-site table longer than the table
      {0xff, 0xff, 0x03, 0x01, 0x80, 0x01},             // entry runs past the call-site table
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x80},             // entry's action truncated at table end
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x05, 0x01, 0x00}, // action past the table
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x01, 0x01},       // record truncated
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x01, 0x00, 0x80}, // next-offset truncated
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x01, 0x00, 0x7c}, // next before the action table
      {0xff, 0xff, 0x03, 0x02, 0x00, 0x01, 0x00, 0x05}, // next past the end
  };
  for (const Bytes& table : cases) {
    Inspection got = inspect(table, 1);
    EXPECT_FALSE(got.result) << table.size();
    EXPECT_FALSE(got.handler.handler_found);
  }
}

TEST(ExceptionTable, TypeEntriesOutsideTheTypeTableCatchNothing) {
  // Type table of one null entry at base - 8; filter 2 would lie before the action table,
  // filter 63 far before the table.
  for (uint8_t filter : {0x02, 0x3f}) {
    Bytes table = {0xff, 0x00, 0x11, 0x03, 0x02, 0x00, 0x01, filter, 0x01, 0x00, 0x00, 0x00};
    table.resize(table.size() + 8, 0);
    Inspection got = inspect(table, 1);
    EXPECT_FALSE(got.result) << int{filter};
    EXPECT_TRUE(got.handler.entry_found);
    EXPECT_TRUE(got.handler.has_cleanup);
  }
  // Type-table base beyond the end of the table.
  Bytes far_base = {0xff, 0x00, 0xff, 0x7f, 0x03, 0x02, 0x00, 0x01, 0x01, 0x00};
  Inspection got = inspect(far_base, 1);
  EXPECT_FALSE(got.result);
  EXPECT_TRUE(got.handler.entry_found);
}

// Every prefix of well-formed tables, each in a block of exactly its size: the reader
// must stay inside (the address sanitizer watches) and only the whole table may report
// the handler it holds.
TEST(ExceptionTable, EveryTruncationIsReadWithinBounds) {
  TableBuilder builder(0x00);
  builder.call_site(1, 0);
  builder.call_site(2, 1);
  builder.action(2, 1);
  builder.action(0, 1);
  builder.action(1, 0);
  builder.type("6Thrown");
  builder.type("5Other");
  builder.build();
  struct Case {
    Bytes table;
    int32_t catching_call_site;
  };
  const Case cases[] = {{builder.table_bytes(), 2}, {catch_all_table(), 1}, {long_chain(64), 1}};
  for (const Case& c : cases) {
    for (size_t length = 0; length < c.table.size(); ++length) {
      Bytes prefix(c.table.begin(), c.table.begin() + static_cast<ptrdiff_t>(length));
      for (int32_t call_site : {1, 2, 3})
        EXPECT_FALSE(inspect(prefix, call_site).result) << length;
    }
    EXPECT_TRUE(inspect(c.table, c.catching_call_site).result);
  }
}

} // namespace
