// Dispatch through hand-built frames: each frame function fills a context the way
// compiled code does, with a landing site made by __builtin_setjmp (whose buffer has
// the layout of the context's jump buffer: frame pointer, resume address, stack
// pointer), registers it with the artifact and lets the artifact enter it.
#include <cstdint>
#include <cstring>
#include <vector>

#include "abi/exception_header.h"
#include "abi/sjlj_context.h"
#include "artifact/artifact_fixture.h"

namespace {

using Context = dv::DovrelSjLjContext;

struct Runtime {
  void (*register_context)(Context*);
  void (*unregister_context)(Context*);
  void* (*allocate_exception)(size_t);
  void (*cxa_throw)(void*, const void*, void (*)(void*));
  void* (*begin_catch)(void*);
  void (*end_catch)();
  void (*rethrow)();
  void (*resume)(void*);
};

// What the frames saw; frames record here and the tests check afterwards, so that no
// assertion object is alive across a jump.
struct Entry {
  int frame;
  int32_t call_site;
  uint32_t exception;
  uint32_t selector;
  bool was_head; // the frame's context was the newest registered one
};

Runtime gRuntime;
std::vector<Entry> gEntries;
int gDestroyed = 0;
uintptr_t gThrownObject = 0;

// A type_info record of a class without bases (its vtable pointer is not looked at).
struct TypeRecord {
  const void* vtable;
  const char* name;
};
const TypeRecord kThrownType{nullptr, "6Thrown"};
const TypeRecord kOtherType{nullptr, "5Other"};

void count_destruction(void*) {
  ++gDestroyed;
}

// Tables. Landing-pad numbers: 2 for cleanups, 5 for handlers.
// Call site 1: cleanup only.
const uint8_t kCleanupTable[] = {0xff, 0xff, 0x03, 0x02, 0x02, 0x00};

// Call site 1: catch kThrownType (filter 1) on landing pad 5. Call site 2: cleanup on
// landing pad 2 (the call of __cxa_rethrow inside the handler). The type-table entry
// is an absolute pointer patched in by catching_table().
struct CatchingTable {
  uint8_t bytes[24];
};
CatchingTable catching_table(const TypeRecord* caught) {
  CatchingTable table{{0xff, 0x00, 0x15, 0x03, 0x04, 0x05, 0x01, 0x02, 0x00, 0x01, 0x00}};
  // Action table at 9 (two bytes), padding to 16, type entry 1 at [16, 24).
  uintptr_t address = reinterpret_cast<uintptr_t>(caught);
  std::memcpy(table.bytes + 16, &address, 8);
  return table;
}

// The newest registered context, read by registering a probe and removing it again.
Context* head() {
  Context probe{};
  gRuntime.register_context(&probe);
  gRuntime.unregister_context(&probe);
  return probe.prev;
}

void record(int frame, Context& context) {
  gEntries.push_back({frame, context.call_site, context.resume_data[0], context.resume_data[1],
                      head() == &context});
}

[[noreturn]] void resume(const Context& context) {
  gRuntime.resume(reinterpret_cast<void*>(uintptr_t{context.resume_data[0]}));
  __builtin_unreachable();
}

[[noreturn]] void throw_new_object() {
  void* object = gRuntime.allocate_exception(16);
  gThrownObject = reinterpret_cast<uintptr_t>(object);
  gRuntime.cxa_throw(object, &kThrownType, count_destruction);
  __builtin_unreachable();
}

// An exception block the 32-bit exception word cannot hold (on this stack, far above
// 4 GiB).
void* gHighObject = nullptr;

[[noreturn]] void throw_high_object() {
  gRuntime.cxa_throw(gHighObject, &kThrownType, nullptr);
  __builtin_unreachable();
}

// Innermost frame: a cleanup around the throw.
[[gnu::noinline]] void cleanup_frame() {
  Context context{};
  context.lsda = kCleanupTable;
  if (__builtin_setjmp(context.jump_buffer)) {
    record(1, context);
    resume(context);
  }
  context.call_site = 1;
  gRuntime.register_context(&context);
  throw_new_object();
}

// Middle frame: registered, but no call-site entry in force.
[[gnu::noinline]] void passive_frame() {
  Context context{};
  context.lsda = kCleanupTable;
  if (__builtin_setjmp(context.jump_buffer)) {
    record(2, context);
    resume(context);
  }
  context.call_site = -1;
  gRuntime.register_context(&context);
  cleanup_frame();
}

// Outermost frame: catches kThrownType; returns normally after the handler.
[[gnu::noinline]] void handler_frame(void (*inner)(), const TypeRecord* caught) {
  static CatchingTable table;
  table = catching_table(caught);
  Context context{};
  context.lsda = table.bytes;
  if (__builtin_setjmp(context.jump_buffer)) {
    record(3, context);
    gRuntime.begin_catch(reinterpret_cast<void*>(uintptr_t{context.resume_data[0]}));
    gRuntime.end_catch();
    gRuntime.unregister_context(&context);
    return;
  }
  context.call_site = 1;
  gRuntime.register_context(&context);
  inner();
}

// A handler that rethrows: on landing pad 5 it catches and rethrows under call site 2,
// whose cleanup (landing pad 2) ends the catch and resumes.
[[gnu::noinline]] void rethrowing_frame() {
  static CatchingTable table;
  table = catching_table(&kThrownType);
  Context context{};
  context.lsda = table.bytes;
  if (__builtin_setjmp(context.jump_buffer)) {
    record(4, context);
    if (context.call_site == 5) {
      gRuntime.begin_catch(reinterpret_cast<void*>(uintptr_t{context.resume_data[0]}));
      context.call_site = 2;
      gRuntime.rethrow();
    }
    gRuntime.end_catch();
    resume(context);
  }
  context.call_site = 1;
  gRuntime.register_context(&context);
  throw_new_object();
}

class SjLjDispatch : public dvtest::ArtifactTest {
protected:
  void SetUp() override {
    ArtifactTest::SetUp();
    gRuntime = Runtime{fn<void(Context*)>("_Unwind_SjLj_Register"),
                       fn<void(Context*)>("_Unwind_SjLj_Unregister"),
                       fn<void*(size_t)>("__cxa_allocate_exception"),
                       fn<void(void*, const void*, void (*)(void*))>("__cxa_throw"),
                       fn<void*(void*)>("__cxa_begin_catch"),
                       fn<void()>("__cxa_end_catch"),
                       fn<void()>("__cxa_rethrow"),
                       fn<void(void*)>("_Unwind_SjLj_Resume")};
    gEntries.clear();
    gDestroyed = 0;
    gThrownObject = 0;
  }

  // The address the landing pads must receive: the header in front of the object.
  uint32_t thrown_header() const {
    return static_cast<uint32_t>(gThrownObject - sizeof(dv::DovrelExceptionHeader));
  }
};

TEST_F(SjLjDispatch, CleanupThenPassiveFrameThenHandler) {
  handler_frame(passive_frame, &kThrownType);
  ASSERT_EQ(gEntries.size(), 2u);
  EXPECT_EQ(gEntries[0].frame, 1);
  EXPECT_EQ(gEntries[0].call_site, 2);
  EXPECT_EQ(gEntries[0].exception, thrown_header());
  EXPECT_EQ(gEntries[0].selector, 0u);
  EXPECT_TRUE(gEntries[0].was_head);
  EXPECT_EQ(gEntries[1].frame, 3);
  EXPECT_TRUE(gEntries[1].was_head); // the passive frame was removed
  EXPECT_EQ(gEntries[1].call_site, 5);
  EXPECT_EQ(gEntries[1].exception, thrown_header());
  EXPECT_EQ(gEntries[1].selector, 1u);
  EXPECT_EQ(gDestroyed, 1);
  EXPECT_EQ(head(), nullptr);
}

// A halt abandons registered contexts, so each halting case is a test of its own (the
// fixture reloads the artifact after it).
TEST_F(SjLjDispatch, NoHandlerHaltsWithoutRunningCleanups) {
  EXPECT_TRUE(halts([] { handler_frame(cleanup_frame, &kOtherType); }));
  EXPECT_TRUE(gEntries.empty());
}

TEST_F(SjLjDispatch, OnlyACleanupFrameHaltsWithoutRunningIt) {
  EXPECT_TRUE(halts([] { cleanup_frame(); }));
  EXPECT_TRUE(gEntries.empty());
}

TEST_F(SjLjDispatch, ThrowWithNothingRegisteredHalts) {
  EXPECT_TRUE(halts([] { throw_new_object(); }));
}

TEST_F(SjLjDispatch, RethrowReachesTheOuterHandlerAndDestroysOnce) {
  handler_frame(rethrowing_frame, &kThrownType);
  ASSERT_EQ(gEntries.size(), 3u);
  EXPECT_EQ(gEntries[0].frame, 4);
  EXPECT_EQ(gEntries[0].call_site, 5);
  EXPECT_EQ(gEntries[0].selector, 1u);
  EXPECT_EQ(gEntries[1].frame, 4);
  EXPECT_EQ(gEntries[1].call_site, 2);
  EXPECT_EQ(gEntries[1].selector, 0u);
  EXPECT_EQ(gEntries[2].frame, 3);
  EXPECT_EQ(gEntries[2].call_site, 5);
  EXPECT_EQ(gEntries[2].exception, thrown_header());
  EXPECT_EQ(gDestroyed, 1);
  EXPECT_EQ(head(), nullptr);
}

TEST_F(SjLjDispatch, ExceptionAboveFourGiBHaltsInsteadOfReachingAWrongAddress) {
  alignas(16) unsigned char block[sizeof(dv::DovrelExceptionHeader) + 16] = {};
  gHighObject = block + sizeof(dv::DovrelExceptionHeader);
  ASSERT_GT(reinterpret_cast<uintptr_t>(gHighObject), uintptr_t{UINT32_MAX});
  EXPECT_TRUE(halts([] { handler_frame(throw_high_object, &kThrownType); }));
  EXPECT_TRUE(gEntries.empty());
}

TEST_F(SjLjDispatch, RethrowWithNothingCaughtHalts) {
  EXPECT_TRUE(halts([] { gRuntime.rethrow(); }));
}

TEST_F(SjLjDispatch, EndCatchWithNothingCaughtDoesNothing) {
  gRuntime.end_catch();
  EXPECT_EQ(head(), nullptr);
}

TEST_F(SjLjDispatch, UnregisterFromTheMiddleUnlinksOnlyThatContext) {
  Context oldest{}, middle{}, newest{}, stranger{};
  gRuntime.register_context(&oldest);
  gRuntime.register_context(&middle);
  gRuntime.register_context(&newest);
  gRuntime.unregister_context(&middle);
  EXPECT_EQ(head(), &newest);
  EXPECT_EQ(newest.prev, &oldest);
  EXPECT_EQ(oldest.prev, nullptr);
  stranger.prev = &oldest;
  gRuntime.unregister_context(&stranger);
  EXPECT_EQ(newest.prev, &oldest);
  gRuntime.unregister_context(&newest);
  EXPECT_EQ(head(), &oldest);
  gRuntime.unregister_context(&oldest);
  EXPECT_EQ(head(), nullptr);
}

TEST_F(SjLjDispatch, UnsupportedUnwindingHalts) {
  auto* resume = fn<void(void*)>("_Unwind_Resume");
  auto* forced = fn<void(void*, void*, void*)>("_Unwind_SjLj_ForcedUnwind");
  EXPECT_TRUE(halts([&] { resume(nullptr); }));
  EXPECT_TRUE(halts([&] { forced(nullptr, nullptr, nullptr); }));
}

TEST_F(SjLjDispatch, ResumeWithAnEmptyChainHalts) {
  void* object = gRuntime.allocate_exception(8);
  void* header = static_cast<char*>(object) - sizeof(dv::DovrelExceptionHeader);
  EXPECT_TRUE(halts([&] { gRuntime.resume(header); }));
}

TEST_F(SjLjDispatch, PersonalityRoutinesReturnZero) {
  EXPECT_EQ(fn<int()>("__gxx_personality_sj0")(), 0);
  EXPECT_EQ(fn<int()>("__gxx_personality_v0")(), 0);
}

// setjmp and longjmp of the artifact. The second return from setjmp comes through a
// function pointer the compiler does not know returns twice, so the state that must
// survive lives in volatile memory and the jump comes from a deeper frame.
volatile int gSetjmpReturns[2];
volatile int gSetjmpPasses;

[[gnu::noinline]] void jump_back(void (*longjmp)(uint64_t*, int), uint64_t* buffer, int value) {
  longjmp(buffer, value);
}

[[gnu::noinline]] void set_and_jump(int (*setjmp)(uint64_t*), void (*longjmp)(uint64_t*, int),
                                    int value) {
  static uint64_t buffer[8];
  gSetjmpPasses = 0;
  int returned = setjmp(buffer);
  gSetjmpReturns[gSetjmpPasses] = returned;
  gSetjmpPasses = gSetjmpPasses + 1;
  if (gSetjmpPasses == 1)
    jump_back(longjmp, buffer, value);
}

TEST_F(SjLjDispatch, LongjmpMakesSetjmpReturnTheValueOrOne) {
  auto* setjmp = fn<int(uint64_t*)>("setjmp");
  auto* longjmp = fn<void(uint64_t*, int)>("longjmp");
  for (int value : {0, 1, 42, -7}) {
    set_and_jump(setjmp, longjmp, value);
    EXPECT_EQ(gSetjmpPasses, 2);
    EXPECT_EQ(gSetjmpReturns[0], 0);
    EXPECT_EQ(gSetjmpReturns[1], value == 0 ? 1 : value);
  }
}

} // namespace
