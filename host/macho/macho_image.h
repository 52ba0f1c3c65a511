// The stand-in's Mach-O loader for x86-64 dylibs and bundles with classic dyld
// information. It maps the segments at whatever base the system gives, applies the
// rebase opcodes, binds every bind, lazy bind and weak bind (refusing the image when
// one cannot be satisfied), looks names up in the export trie and runs the pointers of
// __mod_init_func sections. Malformed input is refused with a MachOError naming the
// problem; nothing in the file is trusted before it is checked.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/loaded_image.h"
#include "host/macho/macho_fixups.h"
#include "host/macho/macho_format.h"
#include "host/macho/macho_reader.h"
#include "host/macho/macho_trie.h"

namespace dvhost {

// Answers a bind: the address of `symbol` (a link name, "_malloc") exported by the dylib
// installed as `dylib` ("" for a flat lookup), or null when there is none.
using MachOBindResolver = std::function<void*(std::string_view dylib, std::string_view symbol)>;

struct MachOLoadOptions {
  // Off for images that are only checked (the fuzz harness): nothing of theirs runs.
  bool run_initializers = true;
};

class MachOImage : public LoadedImage {
public:
  // Throws MachOError ("<name>: <problem>") when the image is malformed or a bind
  // cannot be satisfied.
  MachOImage(std::span<const uint8_t> file, const std::string& name,
             const MachOBindResolver& resolver, MachOLoadOptions options = {});
  ~MachOImage() override;
  MachOImage(const MachOImage&) = delete;
  MachOImage& operator=(const MachOImage&) = delete;

  void* find(const std::string& name) const override; // C-level name
  bool contains(const void* address) const override;
  // Address of an exported symbol by its link name ("_malloc"), or null.
  void* find_link_name(std::string_view link_name) const;

  const std::string& install_name() const { return install_name_; }
  size_t initializers_run() const { return initializers_run_; }

  // The largest address range an image may span.
  static constexpr uint64_t kMaxImageSpan = uint64_t{256} << 20;

private:
  struct Segment {
    uint64_t vmaddr, vmsize, fileoff, filesize;
    int32_t initprot;
  };

  uint8_t* at(unsigned segment, uint64_t offset) const;
  void map(std::span<const uint8_t> file);
  void apply_fixups(std::span<const uint8_t> file, const macho::DyldInfoCommand& info,
                    const std::vector<std::string>& dylibs, const MachOBindResolver& resolver);
  void* resolve(const macho::BindRecord& record, bool weak, const std::vector<std::string>& dylibs,
                const MachOBindResolver& resolver) const;
  void protect();
  std::vector<void (*)()> collect_initializers(const std::vector<macho::Section>& sections) const;
  void run(const std::vector<void (*)()>& initializers);
  bool executable(uint64_t address) const;

  std::string name_;
  std::string install_name_;
  std::vector<Segment> segments_;
  uint64_t lowest_vmaddr_ = 0;
  uint8_t* base_ = nullptr;
  size_t span_ = 0;
  std::vector<uint8_t> trie_bytes_;
  macho::ExportTrie trie_{{}};
  size_t initializers_run_ = 0;
};

} // namespace dvhost
