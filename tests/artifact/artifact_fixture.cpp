#include "artifact/artifact_fixture.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "include/DovrelTTF.h"

namespace dvtest {

bool testing_macho() {
  const char* form = std::getenv("DV_ARTIFACT_FORM");
  return form != nullptr && std::strcmp(form, "macho") == 0;
}

const char* artifact_path() {
  return testing_macho() ? DV_DYLIB_PATH : DV_ARTIFACT_PATH;
}

dvhost::Artifact& artifact() {
  static std::unique_ptr<dvhost::Artifact> loaded;
  if (!loaded) {
    dvhost::install_stand_in();
    loaded = std::make_unique<dvhost::Artifact>(artifact_path());
  }
  return *loaded;
}

void ArtifactTest::SetUp() {
  artifact();
  dvhost::reset_stand_in();
  blocks_at_start_ = dvhost::host_heap::live_blocks();
}

void ArtifactTest::TearDown() {
  if (halted_) {
    dvhost::host_heap::release_all();
    artifact().reload();
  } else if (leak_check_) {
    EXPECT_EQ(leaked_blocks(), 0) << "host heap blocks leaked by this test";
  }
  for (const std::string& error : dvhost::host_heap::errors())
    ADD_FAILURE() << "host heap misuse: " << error;
  dvhost::reset_stand_in();
}

bool ArtifactTest::halts(const std::function<void()>& call) {
  bool halted = dvhost::halts(call);
  halted_ = halted_ || halted;
  return halted;
}

void ArtifactTest::set_host_heap_mb(size_t megabytes) {
  dvhost::host_heap::set_heap_size(megabytes << 20);
}

size_t ArtifactTest::peak_host_bytes(const std::function<void()>& call) {
  const size_t before = dvhost::host_heap::live_bytes();
  dvhost::host_heap::reset_peak();
  call();
  return dvhost::host_heap::stats().peak_live_bytes - before;
}

long ArtifactTest::leaked_blocks() const {
  return static_cast<long>(dvhost::host_heap::live_blocks()) - static_cast<long>(blocks_at_start_);
}

std::vector<uint8_t> ArtifactTest::rendered_bytes(void* handle, const char* text) {
  using Render = TextImage*(void*, const char*, int, int, int, double);
  TextImage* image = fn<Render>("_Z18dv_ttf_font_renderPvPKciiid")(handle, text, 0, 0, 0, 255);
  if (image == nullptr)
    return {};
  std::vector<uint8_t> result = {uint8_t(image->width), uint8_t(image->height)};
  result.insert(result.end(), image->pixels,
                image->pixels + size_t(image->width) * image->height * 4);
  fn<void(void*)>("_ZdaPv")(image->pixels);
  fn<void(void*)>("_ZdlPv")(image);
  return result;
}

} // namespace dvtest
