// The stand-in's Mach-O loader on a small built dylib (tests/support/macho_builder.h):
// every fixup kind lands where it should at whatever base the image gets, and damaged
// images are refused with a message naming the problem.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/macho/macho_format.h"
#include "host/macho/macho_image.h"
#include "support/macho_builder.h"

namespace {

using namespace dvhost::macho;
using dvhost::MachOError;
using dvhost::MachOImage;
using machotest::Built;
using machotest::Bytes;
using machotest::Parts;

int gLibraryMalloc = 0;
int gLibraryFree = 0;

// Stands in for the library: exports _malloc and _free under its install name.
void* library(std::string_view dylib, std::string_view symbol) {
  if (!dylib.empty() && dylib != machotest::kLibraryInstallName)
    return nullptr;
  if (symbol == "_malloc")
    return &gLibraryMalloc;
  if (symbol == "_free")
    return &gLibraryFree;
  return nullptr;
}

void* slot(const MachOImage& image, uint64_t data_offset) {
  void* value;
  std::memcpy(&value, static_cast<uint8_t*>(image.find("table")) + data_offset, sizeof value);
  return value;
}

TEST(MachOImageTest, AppliesEveryFixupAndRunsTheInitializer) {
  Built built = machotest::build();
  MachOImage image(built.bytes, "test.dylib", library);

  auto* answer = reinterpret_cast<int (*)()>(image.find("answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(image.contains(reinterpret_cast<void*>(answer)));
  EXPECT_EQ(slot(image, 0x00), reinterpret_cast<void*>(answer)) << "rebased pointer";
  EXPECT_EQ(slot(image, 0x08), &gLibraryMalloc) << "bind";
  EXPECT_EQ(slot(image, 0x10), reinterpret_cast<void*>(answer)) << "weak bind to its own export";
  EXPECT_EQ(slot(image, 0x18), &gLibraryFree) << "lazy bind";
  EXPECT_EQ(image.initializers_run(), 1u);
  EXPECT_EQ(*static_cast<int*>(image.find("counter")), 1);
  EXPECT_EQ(image.install_name(), "/lib/test.dylib");
  EXPECT_EQ(image.find("missing"), nullptr);
  EXPECT_EQ(image.find("answe"), nullptr);
}

TEST(MachOImageTest, TwoCopiesLoadAtDifferentBasesWithTheirOwnData) {
  Built built = machotest::build();
  MachOImage first(built.bytes, "first", library);
  MachOImage second(built.bytes, "second", library);
  EXPECT_NE(first.find("answer"), second.find("answer"));
  EXPECT_EQ(slot(second, 0x00), second.find("answer"));
  EXPECT_FALSE(first.contains(second.find("table")));
}

TEST(MachOImageTest, InitializersCanBeLeftUnrun) {
  Built built = machotest::build();
  MachOImage image(built.bytes, "test.dylib", library, {.run_initializers = false});
  EXPECT_EQ(image.initializers_run(), 0u);
  EXPECT_EQ(*static_cast<int*>(image.find("counter")), 0);
}

struct Damage {
  const char* name;
  std::function<void(Parts&)> change_parts;
  std::function<void(Built&)> change_bytes;
  const char* message;
};

std::vector<Damage> damaged_images() {
  auto none_parts = [](Parts&) {};
  auto none_bytes = [](Built&) {};
  auto header = [](std::function<void(Header&)> change) {
    return [change](Built& b) { machotest::patch<Header>(b.bytes, 0, change); };
  };
  auto data_segment = [](std::function<void(SegmentCommand&)> change) {
    return
        [change](Built& b) { machotest::patch<SegmentCommand>(b.bytes, b.data_segment, change); };
  };
  auto dyld_info = [](std::function<void(DyldInfoCommand&)> change) {
    return [change](Built& b) { machotest::patch<DyldInfoCommand>(b.bytes, b.dyld_info, change); };
  };
  auto rebase = [](Bytes stream) { return [stream](Parts& p) { p.rebase = stream; }; };
  auto trie = [](Bytes bytes) { return [bytes](Parts& p) { p.trie = bytes; }; };
  // A bind of the slot at __DATA + 8 to `symbol` from the dylib the opcode names.
  auto bind = [](uint8_t ordinal_opcode, const char* symbol) {
    return [=](Parts& p) { p.bind = machotest::bind_stream(ordinal_opcode, symbol, 0x08); };
  };
  return {
      {"truncated header", none_parts, [](Built& b) { b.bytes.resize(20); },
       "test.dylib: truncated"},
      {"wrong magic", none_parts, header([](Header& h) { h.magic = 0xFEEDFACE; }),
       "not a 64-bit Mach-O image"},
      {"other CPU", none_parts, header([](Header& h) { h.cputype = 12; }), "not an x86-64 image"},
      {"executable", none_parts, header([](Header& h) { h.filetype = 2; }),
       "neither a dylib nor a bundle"},
      {"load commands past the end", none_parts, header([](Header& h) { h.sizeofcmds = 0x10000; }),
       "load commands past the end of the file"},
      {"more commands than their area holds", none_parts, header([](Header& h) { h.ncmds = 40; }),
       "load command 6: truncated"},
      {"command size past the area", none_parts,
       [](Built& b) {
         machotest::patch<LoadCommand>(b.bytes, b.first_dylib,
                                       [](LoadCommand& c) { c.cmdsize = 0x400; });
       },
       "load command 5: past the end of the load commands"},
      {"command size zero", none_parts,
       [](Built& b) {
         machotest::patch<LoadCommand>(b.bytes, b.first_dylib,
                                       [](LoadCommand& c) { c.cmdsize = 0; });
       },
       "load command 5: smaller than a load command"},
      {"segment contents past the end", none_parts,
       data_segment([](SegmentCommand& s) { s.filesize = s.vmsize = 0x100000; }),
       "segment contents past the end of the file"},
      {"segment larger in the file", none_parts,
       data_segment([](SegmentCommand& s) { s.vmsize = 0x10; }),
       "larger in the file than in memory"},
      {"segments overlap", none_parts,
       [](Built& b) {
         machotest::patch<SegmentCommand>(b.bytes, b.text_segment,
                                          [](SegmentCommand& s) { s.vmsize = 0x2000; });
       },
       "segments __TEXT and __DATA overlap"},
      {"segment not page aligned", none_parts,
       data_segment([](SegmentCommand& s) { s.vmaddr = 0x1800; }), "not page aligned"},
      {"segment far away", none_parts,
       [](Built& b) {
         machotest::patch<SegmentCommand>(b.bytes, b.linkedit_segment,
                                          [](SegmentCommand& s) { s.vmaddr = uint64_t{1} << 40; });
       },
       "image spans more than 256 MiB"},
      {"section outside its segment", none_parts,
       [](Built& b) {
         machotest::patch<Section>(b.bytes, b.init_section, [](Section& s) { s.addr = 0x1FFC; });
       },
       "section __mod_init_func outside its segment"},
      {"initializer outside the code", none_parts,
       [](Built& b) {
         machotest::patch<uint64_t>(b.bytes, 0x1020, [](uint64_t& p) { p = 0x1000; });
       },
       "initializer outside the image's code"},
      {"export trie past the end", none_parts,
       dyld_info([](DyldInfoCommand& d) { d.export_size = 0x10000; }),
       "export trie past the end of the file"},
      {"chained fixups",
       [](Parts& p) { p.extra_command = {0x34, 0, 0, 0x80, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; },
       none_bytes, "chained fixups are not supported"},
      {"rebase outside its segment",
       rebase({kRebaseSetTypeImm | 1, kRebaseSetSegmentAndOffsetUleb | 1, 0x80, 0x20,
               kRebaseDoRebaseImmTimes | 1, kRebaseDone}),
       none_bytes, "rebase opcodes: fixup at offset 4096 outside segment 1"},
      {"rebase straddling the segment end",
       rebase({kRebaseSetTypeImm | 1, kRebaseSetSegmentAndOffsetUleb | 1, 0xFC, 0x1F,
               kRebaseDoRebaseImmTimes | 1, kRebaseDone}),
       none_bytes, "fixup at offset 4092 outside segment 1"},
      {"rebase running off the segment",
       rebase({kRebaseSetTypeImm | 1, kRebaseSetSegmentAndOffsetUleb | 1, 0x00,
               kRebaseDoRebaseUlebTimes, 0xFF, 0xFF, 0x03, kRebaseDone}),
       none_bytes, "outside segment 1"},
      {"rebase in a segment that does not exist",
       rebase({kRebaseSetTypeImm | 1, kRebaseSetSegmentAndOffsetUleb | 7, 0x00, kRebaseDone}),
       none_bytes, "segment index 7 out of range"},
      {"rebase before any segment", rebase({kRebaseDoRebaseImmTimes | 1, kRebaseDone}), none_bytes,
       "fixup before any segment was set"},
      {"rebase of a code word", rebase({kRebaseSetTypeImm | 3, kRebaseDone}), none_bytes,
       "rebase type 3 is not supported"},
      {"unknown rebase opcode", rebase({0xE0}), none_bytes, "rebase opcodes: unknown opcode 224"},
      {"rebase stream cut inside a number", rebase({kRebaseSetSegmentAndOffsetUleb | 1, 0x80}),
       none_bytes, "rebase opcodes: truncated"},
      {"bind to a symbol the library lacks", bind(kBindSetDylibOrdinalImm | 1, "_x"), none_bytes,
       "cannot bind _x (/lib/DovrelTTF.dylib): no image exports it"},
      {"bind to a dylib that is not loaded", bind(kBindSetDylibOrdinalImm | 2, "_x"), none_bytes,
       "cannot bind _x: dylib ordinal 2 out of range"},
      {"bind to the main executable", bind(kBindSetDylibSpecialImm | 0x0F, "_x"), none_bytes,
       "there is no main executable"},
      {"weak bind nobody defines",
       [](Parts& p) { p.weak_bind = machotest::bind_stream(kBindSetDylibOrdinalImm, "_w", 0x10); },
       none_bytes, "cannot bind _w (weak bind)"},
      {"lazy bind without a symbol",
       [](Parts& p) {
         p.lazy_bind = {kBindSetSegmentAndOffsetUleb | 1, 0x18, kBindDoBind, kBindDone};
       },
       none_bytes, "lazy bind opcodes: bind without a symbol"},
      {"bind symbol unterminated",
       [](Parts& p) {
         p.bind = {kBindSetSymbolTrailingFlagsImm, '_', 'x'};
       },
       none_bytes, "bind opcodes: unterminated string"},
      {"threaded binds", [](Parts& p) { p.bind = {0xD0}; }, none_bytes,
       "bind opcodes: unknown opcode 208"},
      {"export trie cycle", trie({0, 1, '_', 'a', 0, 0}), none_bytes,
       "export trie: node reached twice (cycle)"},
      {"export trie child out of range", trie({0, 1, '_', 'a', 0, 0x40}), none_bytes,
       "export trie: child node out of range"},
      {"export trie truncated", trie({0, 1, '_', 'a', 0, 6, 3}), none_bytes,
       "export trie: truncated"},
      {"export trie terminal overrunning its size",
       trie({0, 1, '_', 'a', 0, 6, 1, 0, 0x80, 0x10, 0}), none_bytes,
       "terminal information longer than its size"},
      {"export trie re-export", trie({0, 1, '_', 'a', 0, 6, 3, 8, 1, 0, 0}), none_bytes,
       "re-exported symbols are not supported"},
  };
}

TEST(MachOImageTest, DamagedImagesAreRefusedWithTheirMessage) {
  for (const Damage& damage : damaged_images()) {
    SCOPED_TRACE(damage.name);
    Parts parts = machotest::default_parts();
    damage.change_parts(parts);
    Built built = machotest::build(parts);
    damage.change_bytes(built);
    try {
      MachOImage image(built.bytes, "test.dylib", library);
      ADD_FAILURE() << "loaded";
    } catch (const MachOError& error) {
      EXPECT_NE(std::string(error.what()).find(damage.message), std::string::npos) << error.what();
    }
  }
}

TEST(MachOImageTest, EveryTruncationIsRefused) {
  Built built = machotest::build();
  for (size_t size = 0; size < built.bytes.size(); size += 7) {
    Bytes cut(built.bytes.begin(), built.bytes.begin() + size);
    EXPECT_THROW(MachOImage(cut, "cut", library), MachOError) << size;
  }
}

} // namespace
