// A font's bytes are held once: a file load reads the host's file straight into the
// storage the handle keeps, and a memory load copies the caller's bytes once. Measured on
// a 16 MiB font through the stand-in's heap accounting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "artifact/artifact_fixture.h"
#include "host/file_store.h"
#include "support/sfnt_builder.h"

namespace {

using LoadFile = void*(const char*, float);
using LoadMemory = void*(const void*, unsigned long, float);
using Free = void(void*);

constexpr size_t kPaddingBytes = size_t{16} << 20;

// A valid TrueType font made 16 MiB large by a table nothing reads.
testfont::Bytes large_font() {
  testfont::FontParams params;
  params.extra_tables.push_back({"zPad", testfont::Bytes(kPaddingBytes, 0x5A)});
  return testfont::build_font(params);
}

class FontBytesOnce : public dvtest::ArtifactTest {
protected:
  // The most host memory `load` held at once, as a multiple of the font's size; the
  // handle it gave is checked and freed.
  double peak_per_font_byte(size_t font_size, const std::function<void*()>& load) {
    void* font = nullptr;
    const size_t peak = peak_host_bytes([&] { font = load(); });
    EXPECT_NE(font, nullptr);
    fn<Free>("_Z16dv_ttf_font_freePv")(font);
    return double(peak) / double(font_size);
  }
};

TEST_F(FontBytesOnce, LoadsHoldOneCopyOfTheFontBytes) {
  set_host_heap_mb(96);
  const testfont::Bytes font = large_font();
  ASSERT_GT(font.size(), kPaddingBytes);
  dvhost::file_store::put("large.ttf", font);
  const double from_file = peak_per_font_byte(
      font.size(), [&] { return fn<LoadFile>("_Z16dv_ttf_font_loadPKcf")("large.ttf", 20.0f); });
  const double from_memory = peak_per_font_byte(font.size(), [&] {
    return fn<LoadMemory>("_Z23dv_ttf_font_load_memoryPKvmf")(font.data(), font.size(), 20.0f);
  });
  EXPECT_LE(from_file, 1.1);
  EXPECT_GE(from_memory, 1.0); // the handle keeps its own copy
  EXPECT_LE(from_memory, 1.1);
}

} // namespace
