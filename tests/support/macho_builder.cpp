#include "support/macho_builder.h"

#include "host/macho/macho_format.h"

namespace machotest {
namespace {

using namespace dvhost::macho;

constexpr uint64_t kPage = 0x1000;
constexpr uint64_t kInitializerOffset = 0x810;
constexpr uint64_t kCounterOffset = 0x28;

void append(Bytes& bytes, const void* data, size_t size) {
  auto* first = static_cast<const uint8_t*>(data);
  bytes.insert(bytes.end(), first, first + size);
}

void append_text(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
}

void append_uleb(Bytes& bytes, uint64_t value) {
  do {
    uint8_t byte = value & 0x7F;
    value >>= 7;
    bytes.push_back(value != 0 ? byte | 0x80 : byte);
  } while (value != 0);
}

template <typename T> void put(Bytes& bytes, size_t offset, const T& value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

void fixed(char (&field)[16], const char* text) {
  std::memset(field, 0, sizeof field);
  std::strncpy(field, text, sizeof field);
}

Bytes dylib_command(uint32_t cmd, const std::string& name) {
  size_t size = (sizeof(DylibCommand) + name.size() + 1 + 7) / 8 * 8;
  DylibCommand command{cmd, static_cast<uint32_t>(size), sizeof(DylibCommand), 0, 0x10000, 0x10000};
  Bytes bytes;
  append(bytes, &command, sizeof command);
  append_text(bytes, name);
  bytes.resize(size, 0);
  return bytes;
}

SegmentCommand segment(const char* name, uint64_t vmaddr, uint64_t fileoff, uint64_t filesize,
                       int32_t prot, uint32_t nsects) {
  SegmentCommand command{};
  command.cmd = kSegment64;
  command.cmdsize = static_cast<uint32_t>(sizeof(SegmentCommand) + nsects * sizeof(Section));
  fixed(command.segname, name);
  command.vmaddr = vmaddr;
  command.vmsize = kPage;
  command.fileoff = fileoff;
  command.filesize = filesize;
  command.maxprot = prot;
  command.initprot = prot;
  command.nsects = nsects;
  return command;
}

Section section(const char* segname, const char* name, uint64_t addr, uint64_t size,
                uint32_t flags) {
  Section record{};
  fixed(record.segname, segname);
  fixed(record.sectname, name);
  record.addr = addr;
  record.size = size;
  record.offset = static_cast<uint32_t>(addr);
  record.flags = flags;
  return record;
}

} // namespace

Bytes flat_trie(const std::vector<std::pair<std::string, uint64_t>>& exports) {
  // The root's size depends on the child offsets it encodes; grow it until stable.
  size_t root_size = 0;
  for (;;) {
    Bytes root{0, static_cast<uint8_t>(exports.size())};
    Bytes children;
    for (const auto& [name, address] : exports) {
      append_text(root, name);
      append_uleb(root, root_size + children.size());
      Bytes terminal{0};
      append_uleb(terminal, address);
      children.push_back(static_cast<uint8_t>(terminal.size()));
      children.insert(children.end(), terminal.begin(), terminal.end());
      children.push_back(0);
    }
    if (root.size() == root_size) {
      root.insert(root.end(), children.begin(), children.end());
      return root;
    }
    root_size = root.size();
  }
}

Bytes bind_stream(uint8_t ordinal_opcode, const std::string& symbol, uint64_t data_offset) {
  Bytes bytes{ordinal_opcode, kBindSetSymbolTrailingFlagsImm};
  append_text(bytes, symbol);
  bytes.push_back(kBindSetTypeImm | kBindTypePointer);
  bytes.push_back(kBindSetSegmentAndOffsetUleb | 1);
  append_uleb(bytes, data_offset);
  bytes.push_back(kBindDoBind);
  bytes.push_back(kBindDone);
  return bytes;
}

Parts default_parts() {
  Parts parts;
  parts.rebase = {kRebaseSetTypeImm | kRebaseTypePointer,
                  kRebaseSetSegmentAndOffsetUleb | 1,
                  0x00,
                  kRebaseDoRebaseImmTimes | 1,
                  kRebaseSetSegmentAndOffsetUleb | 1,
                  0x20,
                  kRebaseDoRebaseImmTimes | 1,
                  kRebaseDone};
  parts.bind = bind_stream(kBindSetDylibOrdinalImm | 1, "_malloc", 0x08);
  parts.weak_bind = bind_stream(kBindSetDylibOrdinalImm | 0, "_answer", 0x10);
  parts.lazy_bind = bind_stream(kBindSetDylibOrdinalImm | 1, "_free", 0x18);
  parts.trie = flat_trie({{"_answer", kAnswerOffset},
                          {"_table", kDataVmaddr},
                          {"_counter", kDataVmaddr + kCounterOffset}});
  return parts;
}

Built build(const Parts& parts) {
  Built built;
  Bytes commands;
  int32_t rx = kProtRead | kProtExecute;
  int32_t rw = kProtRead | kProtWrite;

  built.text_segment = sizeof(Header) + commands.size();
  SegmentCommand text = segment("__TEXT", 0, 0, kPage, rx, 1);
  append(commands, &text, sizeof text);
  Section code = section("__TEXT", "__text", kAnswerOffset, 0x20, 0x80000400);
  append(commands, &code, sizeof code);

  built.data_segment = sizeof(Header) + commands.size();
  SegmentCommand data = segment("__DATA", kDataVmaddr, kPage, kPage, rw, 2);
  append(commands, &data, sizeof data);
  Section slots = section("__DATA", "__data", kDataVmaddr, 0x20, 0);
  append(commands, &slots, sizeof slots);
  built.init_section = sizeof(Header) + commands.size();
  Section init = section("__DATA", "__mod_init_func", kDataVmaddr + 0x20, 8, kModInitFuncPointers);
  append(commands, &init, sizeof init);

  Bytes linkedit;
  auto place = [&](const Bytes& stream, uint32_t& offset, uint32_t& size) {
    offset = static_cast<uint32_t>(2 * kPage + linkedit.size());
    size = static_cast<uint32_t>(stream.size());
    linkedit.insert(linkedit.end(), stream.begin(), stream.end());
  };
  DyldInfoCommand info{};
  info.cmd = kDyldInfoOnly;
  info.cmdsize = sizeof info;
  place(parts.rebase, info.rebase_off, info.rebase_size);
  place(parts.bind, info.bind_off, info.bind_size);
  place(parts.weak_bind, info.weak_bind_off, info.weak_bind_size);
  place(parts.lazy_bind, info.lazy_bind_off, info.lazy_bind_size);
  place(parts.trie, info.export_off, info.export_size);

  built.linkedit_segment = sizeof(Header) + commands.size();
  SegmentCommand linkedit_segment =
      segment("__LINKEDIT", 2 * kPage, 2 * kPage, linkedit.size(), kProtRead, 0);
  append(commands, &linkedit_segment, sizeof linkedit_segment);
  built.dyld_info = sizeof(Header) + commands.size();
  append(commands, &info, sizeof info);
  Bytes id = dylib_command(kIdDylib, "/lib/test.dylib");
  commands.insert(commands.end(), id.begin(), id.end());
  built.first_dylib = sizeof(Header) + commands.size();
  Bytes library = dylib_command(kLoadDylib, kLibraryInstallName);
  commands.insert(commands.end(), library.begin(), library.end());
  uint32_t command_count = 6;
  if (!parts.extra_command.empty()) {
    commands.insert(commands.end(), parts.extra_command.begin(), parts.extra_command.end());
    ++command_count;
  }

  Header header{kMagic64,
                kCpuTypeX86_64,
                3,
                kFileTypeDylib,
                command_count,
                static_cast<uint32_t>(commands.size()),
                0,
                0};
  Bytes& bytes = built.bytes;
  bytes.assign(2 * kPage, 0);
  put(bytes, 0, header);
  std::memcpy(bytes.data() + sizeof header, commands.data(), commands.size());

  // _answer: mov eax, 42; ret. The initializer: inc dword [rip + _counter]; ret.
  const uint8_t answer[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};
  std::memcpy(bytes.data() + kAnswerOffset, answer, sizeof answer);
  int32_t counter_distance =
      static_cast<int32_t>((kDataVmaddr + kCounterOffset) - (kInitializerOffset + 6));
  const uint8_t increment[] = {0xFF, 0x05};
  std::memcpy(bytes.data() + kInitializerOffset, increment, sizeof increment);
  put(bytes, kInitializerOffset + 2, counter_distance);
  bytes[kInitializerOffset + 6] = 0xC3;

  // Unslid pointers the rebase opcodes fix up.
  put(bytes, kPage + 0x00, kAnswerOffset);
  put(bytes, kPage + 0x20, kInitializerOffset);
  bytes.insert(bytes.end(), linkedit.begin(), linkedit.end());
  return built;
}

} // namespace machotest
