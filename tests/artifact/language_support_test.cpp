// Language-support entry points of the artifact: termination, statics, exception
// blocks and the exported data objects.
#include "artifact/artifact_fixture.h"

#include <cstring>

namespace {

// Field positions of the exception header the runtime puts in front of a thrown object.
struct ExceptionHeaderView {
  const void* thrown_type;
  void (*destructor)(void*);
  ExceptionHeaderView* next_caught;
  void* handler_context;
  uint32_t handler_landing_pad;
  uint32_t handler_selector;
  uint8_t rethrown;
};
constexpr size_t kHeaderSize = 48;

class LanguageSupportArtifactTest : public dvtest::ArtifactTest {
protected:
  void* allocate_exception(size_t size) {
    return fn<void*(size_t)>("__cxa_allocate_exception")(size);
  }
  void free_exception(void* object) { fn<void(void*)>("__cxa_free_exception")(object); }
  void* begin_catch(void* exception) { return fn<void*(void*)>("__cxa_begin_catch")(exception); }
  static ExceptionHeaderView* header_of(void* object) {
    return reinterpret_cast<ExceptionHeaderView*>(static_cast<char*>(object) - kHeaderSize);
  }
};

TEST_F(LanguageSupportArtifactTest, TerminationEntryPointsHalt) {
  for (const char* name : {"abort", "_ZSt9terminatev", "__cxa_pure_virtual"}) {
    auto stop = fn<void()>(name);
    dvhost::HaltReport report = dvhost::run_catching_halt([&] { stop(); });
    EXPECT_TRUE(report.halted) << name;
    EXPECT_EQ(report.instruction, 0xFA) << name << ": interrupts are disabled first";
  }
  EXPECT_TRUE(halts([] {}) == false);
}

TEST_F(LanguageSupportArtifactTest, CallTerminateCatchesThenHalts) {
  void* object = allocate_exception(8);
  auto call_terminate = fn<void(void*)>("__clang_call_terminate");
  EXPECT_TRUE(halts([&] { call_terminate(header_of(object)); }));
  EXPECT_TRUE(halts([&] { call_terminate(nullptr); }));
}

TEST_F(LanguageSupportArtifactTest, GuardIsAcquiredUntilReleased) {
  auto acquire = fn<int(uint64_t*)>("__cxa_guard_acquire");
  auto release = fn<void(uint64_t*)>("__cxa_guard_release");
  auto abandon = fn<void(uint64_t*)>("__cxa_guard_abort");
  uint64_t guard = 0;
  EXPECT_EQ(acquire(&guard), 1);
  EXPECT_EQ(acquire(&guard), 1) << "acquire does not mark the guard busy";
  abandon(&guard);
  EXPECT_EQ(guard, 0u);
  EXPECT_EQ(acquire(&guard), 1);
  release(&guard);
  EXPECT_EQ(guard, 1u) << "only bit 0 of the first byte is set";
  EXPECT_EQ(acquire(&guard), 0);
  uint64_t other_bits = 0xFEFEFEFEFEFEFEFEu;
  EXPECT_EQ(acquire(&other_bits), 1) << "only bit 0 of the first byte counts";
  release(&other_bits);
  EXPECT_EQ(other_bits, 0xFEFEFEFEFEFEFEFFu);
}

bool gAtexitFunctionRan = false;
void atexit_function(void*) {
  gAtexitFunctionRan = true;
}

TEST_F(LanguageSupportArtifactTest, AtexitRegistersNothing) {
  auto atexit = fn<int(void (*)(void*), void*, void*)>("__cxa_atexit");
  EXPECT_EQ(atexit(&atexit_function, nullptr, data<void*>("__dso_handle")), 0);
  EXPECT_FALSE(gAtexitFunctionRan);
  EXPECT_EQ(fn<void*()>("_tlv_bootstrap")(), nullptr);
}

TEST_F(LanguageSupportArtifactTest, AllocatedExceptionIsZeroedAfterItsHeader) {
  for (size_t size : {size_t(0), size_t(1), size_t(40)}) {
    auto* object = static_cast<unsigned char*>(allocate_exception(size));
    ASSERT_NE(object, nullptr);
    unsigned char* block = object - kHeaderSize;
    size_t block_size = kHeaderSize + (size == 0 ? 1 : size);
    EXPECT_EQ(dvhost::host_heap::block_size(block), block_size) << size;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(object) % 16, 0u);
    for (size_t i = 0; i < block_size; ++i)
      ASSERT_EQ(block[i], 0) << "byte " << i << " of a block for " << size;
    free_exception(object);
    EXPECT_FALSE(dvhost::host_heap::is_live(block));
  }
  free_exception(nullptr);
}

TEST_F(LanguageSupportArtifactTest, ExceptionAllocationFailureHalts) {
  dvhost::host_heap::fail_request(1);
  EXPECT_TRUE(halts([&] { allocate_exception(8); }));
}

TEST_F(LanguageSupportArtifactTest, HugeExceptionSizeHaltsInsteadOfWrapping) {
  EXPECT_TRUE(halts([&] { allocate_exception(~size_t(0) - 8); }));
}

TEST_F(LanguageSupportArtifactTest, BeginCatchStacksCaughtExceptions) {
  void* first = allocate_exception(4);
  void* second = allocate_exception(4);
  header_of(second)->rethrown = 1;
  EXPECT_EQ(begin_catch(nullptr), nullptr);
  EXPECT_EQ(begin_catch(header_of(first)), first);
  EXPECT_EQ(header_of(first)->next_caught, nullptr) << "begin_catch(null) changed nothing";
  EXPECT_EQ(begin_catch(header_of(second)), second);
  EXPECT_EQ(header_of(second)->next_caught, header_of(first));
  EXPECT_EQ(header_of(second)->rethrown, 0);
  // The caught stack is left pointing at freed blocks, so start the library over.
  free_exception(first);
  free_exception(second);
  dvtest::artifact().reload();
}

TEST_F(LanguageSupportArtifactTest, ReloadStartsLibraryGlobalsOver) {
  *data<int>("dv_errno") = 12;
  dvtest::artifact().reload();
  EXPECT_EQ(*data<int>("dv_errno"), 0);
}

TEST_F(LanguageSupportArtifactTest, RuntimeDataObjectsAreZeroFilled) {
  EXPECT_EQ(*data<uint64_t>("__dso_handle"), 0u);
  EXPECT_EQ(*data<unsigned char>("_ZSt7nothrow"), 0);
  for (const char* table :
       {"_ZTVN10__cxxabiv117__class_type_infoE", "_ZTVN10__cxxabiv120__si_class_type_infoE",
        "_ZTVN10__cxxabiv121__vmi_class_type_infoE"}) {
    const void* const* words = data<const void* const>(table);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(words[i], nullptr) << table << " word " << i;
  }
}

} // namespace
