// Fuzzes the stand-in's Mach-O loader: any input is either loaded (segments mapped,
// every fixup applied inside the image, export trie checked) or refused with a
// MachOError; nothing of the image runs. Every bind resolves to one host word so that
// binding paths are reached too.
#include <cstddef>
#include <cstdint>
#include <span>

#include "host/macho/macho_image.h"

namespace {

uint64_t gBindTarget = 0;

void* any_symbol(std::string_view, std::string_view) {
  return &gBindTarget;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    dvhost::MachOImage image(std::span<const uint8_t>(data, size), "fuzz input", any_symbol,
                             {.run_initializers = false});
    (void)image.find("malloc");
    (void)image.find_link_name("");
    (void)image.find_link_name("_Z18dv_ttf_font_renderPvPKciiid");
  } catch (const dvhost::MachOError&) {
  }
  return 0;
}
