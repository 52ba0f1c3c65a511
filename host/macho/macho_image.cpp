#include "host/macho/macho_image.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "host/macho/macho_fixups.h"
#include "host/macho/macho_format.h"

namespace dvhost {
namespace {

using namespace macho;

constexpr uint64_t kPageSize = 4096;

std::string fixed_name(const char (&text)[16]) {
  return std::string(text, strnlen(text, sizeof text));
}

// What the load commands say, each checked against the file.
struct Commands {
  std::vector<SegmentCommand> segments;
  std::vector<Section> initializer_sections;
  std::optional<DyldInfoCommand> dyld_info;
  std::vector<std::string> dylibs; // bind ordinal n names dylibs[n - 1]
  std::string install_name;
};

std::span<const uint8_t> file_range(ByteReader& reader, std::span<const uint8_t> file,
                                    uint64_t offset, uint64_t size, const char* what) {
  if (offset > file.size() || size > file.size() - offset)
    reader.fail(std::string(what) + " past the end of the file");
  return file.subspan(offset, size);
}

std::string dylib_name(ByteReader& command, uint32_t cmdsize) {
  auto dylib = command.record<DylibCommand>();
  if (dylib.name_offset < sizeof(DylibCommand) || dylib.name_offset >= cmdsize)
    command.fail("dylib name outside its command");
  command.seek(dylib.name_offset);
  return std::string(command.cstring());
}

void read_segment(ByteReader& command, std::span<const uint8_t> file, Commands& commands) {
  auto segment = command.record<SegmentCommand>();
  file_range(command, file, segment.fileoff, segment.filesize, "segment contents");
  if (segment.filesize > segment.vmsize)
    command.fail("segment " + fixed_name(segment.segname) + " larger in the file than in memory");
  if (segment.vmaddr % kPageSize != 0)
    command.fail("segment " + fixed_name(segment.segname) + " not page aligned");
  if (segment.vmsize > MachOImage::kMaxImageSpan || segment.vmaddr > UINT64_MAX - segment.vmsize)
    command.fail("segment " + fixed_name(segment.segname) + " too large");
  for (uint32_t i = 0; i < segment.nsects; ++i) {
    auto section = command.record<Section>();
    if (section.addr < segment.vmaddr || section.size > segment.vmsize ||
        section.addr - segment.vmaddr > segment.vmsize - section.size)
      command.fail("section " + fixed_name(section.sectname) + " outside its segment");
    uint32_t type = section.flags & kSectionTypeMask;
    if (type == kInitFuncOffsets)
      command.fail("initializer offsets are not supported");
    if (type == kModInitFuncPointers)
      commands.initializer_sections.push_back(section);
  }
  commands.segments.push_back(segment);
}

void read_command(ByteReader& command, const LoadCommand& header, std::span<const uint8_t> file,
                  Commands& commands) {
  switch (header.cmd) {
  case kSegment64:
    read_segment(command, file, commands);
    break;
  case kDyldInfo:
  case kDyldInfoOnly: {
    auto info = command.record<DyldInfoCommand>();
    file_range(command, file, info.rebase_off, info.rebase_size, "rebase opcodes");
    file_range(command, file, info.bind_off, info.bind_size, "bind opcodes");
    file_range(command, file, info.weak_bind_off, info.weak_bind_size, "weak bind opcodes");
    file_range(command, file, info.lazy_bind_off, info.lazy_bind_size, "lazy bind opcodes");
    file_range(command, file, info.export_off, info.export_size, "export trie");
    commands.dyld_info = info;
    break;
  }
  case kIdDylib:
    commands.install_name = dylib_name(command, header.cmdsize);
    break;
  case kLoadDylib:
  case kLoadWeakDylib:
  case kLazyLoadDylib:
  case kLoadUpwardDylib:
    commands.dylibs.push_back(dylib_name(command, header.cmdsize));
    break;
  case kReexportDylib:
    command.fail("re-exported dylibs are not supported");
  case kDyldChainedFixups:
  case kDyldExportsTrie:
    command.fail("chained fixups are not supported (link with classic dyld information)");
  default:
    break;
  }
}

Commands read_commands(std::span<const uint8_t> file, const std::string& name) {
  ByteReader reader(file, name);
  auto header = reader.record<Header>();
  if (header.magic != kMagic64)
    reader.fail("not a 64-bit Mach-O image");
  if (header.cputype != kCpuTypeX86_64)
    reader.fail("not an x86-64 image");
  if (header.filetype != kFileTypeDylib && header.filetype != kFileTypeBundle)
    reader.fail("neither a dylib nor a bundle");
  if (header.sizeofcmds > file.size() - sizeof(Header))
    reader.fail("load commands past the end of the file");
  auto area = file.subspan(sizeof(Header), header.sizeofcmds);
  Commands commands;
  size_t offset = 0;
  for (uint32_t i = 0; i < header.ncmds; ++i) {
    std::string what = name + ": load command " + std::to_string(i);
    ByteReader at(area.subspan(offset), what);
    auto command = at.record<LoadCommand>();
    if (command.cmdsize < sizeof(LoadCommand))
      at.fail("smaller than a load command");
    if (command.cmdsize > area.size() - offset)
      at.fail("past the end of the load commands");
    ByteReader body(area.subspan(offset, command.cmdsize), what);
    read_command(body, command, file, commands);
    offset += command.cmdsize;
  }
  if (!commands.dyld_info)
    reader.fail("no dyld information");
  return commands;
}

// Sorted by address, the segments that occupy memory must not overlap; returns the
// lowest address and the span they cover.
std::pair<uint64_t, uint64_t> address_range(const std::vector<SegmentCommand>& segments,
                                            const std::string& name) {
  std::vector<const SegmentCommand*> sorted;
  for (const auto& segment : segments)
    if (segment.vmsize > 0)
      sorted.push_back(&segment);
  if (sorted.empty())
    throw MachOError(name + ": no segments");
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->vmaddr < b->vmaddr; });
  for (size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i]->vmaddr < sorted[i - 1]->vmaddr + sorted[i - 1]->vmsize)
      throw MachOError(name + ": segments " + fixed_name(sorted[i - 1]->segname) + " and " +
                       fixed_name(sorted[i]->segname) + " overlap");
  uint64_t low = sorted.front()->vmaddr;
  uint64_t high = sorted.back()->vmaddr + sorted.back()->vmsize;
  if (high - low > MachOImage::kMaxImageSpan)
    throw MachOError(name + ": image spans more than 256 MiB");
  return {low, high - low};
}

// Modules that call into the library go through lazy-binding stubs, whose helper
// references dyld_stub_binder. The stand-in binds every lazy pointer when the image
// loads, so the helper never runs; should it run anyway, the stand-in says so and stops.
constexpr std::string_view kStubBinder = "dyld_stub_binder";

[[noreturn]] void unexpected_lazy_binding() {
  std::fputs("dvhost: dyld_stub_binder reached, but every lazy pointer was bound at load\n",
             stderr);
  std::abort();
}

int protection(int32_t initprot) {
  return ((initprot & kProtRead) ? PROT_READ : 0) | ((initprot & kProtWrite) ? PROT_WRITE : 0) |
         ((initprot & kProtExecute) ? PROT_EXEC : 0);
}

} // namespace

MachOImage::MachOImage(std::span<const uint8_t> file, const std::string& name,
                       const MachOBindResolver& resolver, MachOLoadOptions options)
    : name_(name) {
  Commands commands = read_commands(file, name);
  install_name_ = commands.install_name;
  for (const auto& segment : commands.segments)
    segments_.push_back(
        {segment.vmaddr, segment.vmsize, segment.fileoff, segment.filesize, segment.initprot});
  auto [low, span] = address_range(commands.segments, name);
  lowest_vmaddr_ = low;
  span_ = span;
  const DyldInfoCommand& info = *commands.dyld_info;
  trie_bytes_.assign(file.begin() + info.export_off,
                     file.begin() + info.export_off + info.export_size);
  try {
    trie_ = macho::ExportTrie(trie_bytes_);
  } catch (const MachOError& error) {
    throw MachOError(name + ": " + error.what());
  }
  map(file);
  try {
    apply_fixups(file, info, commands.dylibs, resolver);
    // Read while every page is still writable and readable; protections may forbid it.
    std::vector<void (*)()> initializers = collect_initializers(commands.initializer_sections);
    protect();
    if (options.run_initializers)
      run(initializers);
  } catch (...) {
    munmap(base_, span_);
    throw;
  }
}

MachOImage::~MachOImage() {
  munmap(base_, span_);
}

void MachOImage::map(std::span<const uint8_t> file) {
  void* memory = mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED)
    throw MachOError(name_ + ": cannot reserve " + std::to_string(span_) + " bytes");
  base_ = static_cast<uint8_t*>(memory);
  for (const Segment& segment : segments_)
    if (segment.vmsize > 0 && segment.filesize > 0)
      std::memcpy(base_ + (segment.vmaddr - lowest_vmaddr_), file.data() + segment.fileoff,
                  segment.filesize);
}

uint8_t* MachOImage::at(unsigned segment, uint64_t offset) const {
  return base_ + (segments_[segment].vmaddr - lowest_vmaddr_) + offset;
}

void MachOImage::apply_fixups(std::span<const uint8_t> file, const macho::DyldInfoCommand& info,
                              const std::vector<std::string>& dylibs,
                              const MachOBindResolver& resolver) {
  std::vector<uint64_t> sizes;
  for (const Segment& segment : segments_)
    sizes.push_back(segment.vmsize);
  macho::FixupLimits limits{sizes, span_ / sizeof(uint64_t)};
  uint64_t slide = reinterpret_cast<uintptr_t>(base_) - lowest_vmaddr_;
  try {
    macho::for_each_rebase(file.subspan(info.rebase_off, info.rebase_size), limits,
                           [&](macho::FixupLocation where) {
                             uint64_t value;
                             std::memcpy(&value, at(where.segment, where.offset), sizeof value);
                             value += slide;
                             std::memcpy(at(where.segment, where.offset), &value, sizeof value);
                           });
    auto bind = [&](const macho::BindRecord& record, bool weak) {
      void* target = resolve(record, weak, dylibs, resolver);
      uint64_t value = reinterpret_cast<uintptr_t>(target) + static_cast<uint64_t>(record.addend);
      std::memcpy(at(record.location.segment, record.location.offset), &value, sizeof value);
    };
    using macho::BindTable;
    macho::for_each_bind(file.subspan(info.bind_off, info.bind_size), BindTable::regular, limits,
                         [&](const macho::BindRecord& record) { bind(record, false); });
    macho::for_each_bind(file.subspan(info.lazy_bind_off, info.lazy_bind_size), BindTable::lazy,
                         limits, [&](const macho::BindRecord& record) { bind(record, false); });
    macho::for_each_bind(file.subspan(info.weak_bind_off, info.weak_bind_size), BindTable::weak,
                         limits, [&](const macho::BindRecord& record) { bind(record, true); });
  } catch (const MachOError& error) {
    throw MachOError(name_ + ": " + error.what());
  }
}

// Weak binds coalesce with the image's own definition first (its exports), then with
// the library's; ordinary binds go where their ordinal says.
void* MachOImage::resolve(const macho::BindRecord& record, bool weak,
                          const std::vector<std::string>& dylibs,
                          const MachOBindResolver& resolver) const {
  std::string symbol(record.symbol);
  void* target = nullptr;
  std::string from;
  if (weak || record.dylib_ordinal == kBindOrdinalSelf ||
      record.dylib_ordinal == kBindOrdinalFlatLookup) {
    target = find_link_name(symbol);
    if (!target && record.dylib_ordinal != kBindOrdinalSelf && resolver)
      target = resolver("", symbol);
    from = weak ? "weak bind" : "flat lookup";
  } else if (record.dylib_ordinal == kBindOrdinalMainExecutable) {
    throw MachOError("cannot bind " + symbol + ": there is no main executable to bind to");
  } else {
    if (record.dylib_ordinal < 1 || static_cast<size_t>(record.dylib_ordinal) > dylibs.size())
      throw MachOError("cannot bind " + symbol + ": dylib ordinal " +
                       std::to_string(record.dylib_ordinal) + " out of range");
    from = dylibs[record.dylib_ordinal - 1];
    if (resolver)
      target = resolver(from, symbol);
  }
  if (!target && symbol == kStubBinder)
    target = reinterpret_cast<void*>(&unexpected_lazy_binding);
  if (!target)
    throw MachOError("cannot bind " + symbol + " (" + from + "): no image exports it");
  return target;
}

void MachOImage::protect() {
  for (const Segment& segment : segments_) {
    if (segment.vmsize == 0)
      continue;
    uint64_t length = (segment.vmsize + kPageSize - 1) / kPageSize * kPageSize;
    length = std::min<uint64_t>(length, span_ - (segment.vmaddr - lowest_vmaddr_));
    if (mprotect(base_ + (segment.vmaddr - lowest_vmaddr_), length, protection(segment.initprot)) !=
        0)
      throw MachOError(name_ + ": cannot protect segment");
  }
}

// Every initializer must point at code of this image before any of them runs.
std::vector<void (*)()>
MachOImage::collect_initializers(const std::vector<macho::Section>& sections) const {
  std::vector<void (*)()> initializers;
  for (const macho::Section& section : sections) {
    if (section.size % sizeof(uint64_t) != 0)
      throw MachOError(name_ + ": __mod_init_func size not a multiple of 8");
    for (uint64_t offset = 0; offset < section.size; offset += sizeof(uint64_t)) {
      uint64_t address;
      std::memcpy(&address, base_ + (section.addr - lowest_vmaddr_) + offset, sizeof address);
      if (!executable(address))
        throw MachOError(name_ + ": initializer outside the image's code");
      initializers.push_back(reinterpret_cast<void (*)()>(address));
    }
  }
  return initializers;
}

void MachOImage::run(const std::vector<void (*)()>& initializers) {
  for (auto* initializer : initializers) {
    initializer();
    ++initializers_run_;
  }
}

bool MachOImage::executable(uint64_t address) const {
  for (const Segment& segment : segments_) {
    uint64_t start = reinterpret_cast<uintptr_t>(base_) + (segment.vmaddr - lowest_vmaddr_);
    if ((segment.initprot & kProtExecute) && address >= start && address - start < segment.vmsize)
      return true;
  }
  return false;
}

void* MachOImage::find(const std::string& name) const {
  return find_link_name("_" + name);
}

void* MachOImage::find_link_name(std::string_view link_name) const {
  std::optional<macho::ExportEntry> entry;
  try {
    entry = trie_.find(link_name);
  } catch (const MachOError&) {
    return nullptr;
  }
  if (!entry)
    return nullptr;
  if ((entry->flags & kExportKindMask) == kExportKindAbsolute)
    return reinterpret_cast<void*>(entry->offset);
  // Offsets are relative to the image's header, the lowest segment.
  if (entry->offset >= span_)
    return nullptr;
  return base_ + entry->offset;
}

bool MachOImage::contains(const void* address) const {
  auto* byte = static_cast<const uint8_t*>(address);
  return byte >= base_ && byte < base_ + span_;
}
} // namespace dvhost
