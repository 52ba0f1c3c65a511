// The parts of the Mach-O format the loader reads: the 64-bit header, load commands,
// segments and sections, the dyld information (rebase, bind and export opcodes) and
// the dylib commands. Layouts as the format defines them (little-endian x86-64).
#pragma once
#include <cstdint>

namespace dvhost::macho {

constexpr uint32_t kMagic64 = 0xFEEDFACF;
constexpr int32_t kCpuTypeX86_64 = 0x01000007;
constexpr uint32_t kFileTypeDylib = 6;
constexpr uint32_t kFileTypeBundle = 8;

struct Header {
  uint32_t magic;
  int32_t cputype;
  int32_t cpusubtype;
  uint32_t filetype;
  uint32_t ncmds;
  uint32_t sizeofcmds;
  uint32_t flags;
  uint32_t reserved;
};
static_assert(sizeof(Header) == 32);

struct LoadCommand {
  uint32_t cmd;
  uint32_t cmdsize;
};

constexpr uint32_t kRequiresDyld = 0x80000000;
constexpr uint32_t kLoadDylib = 0x0C;
constexpr uint32_t kIdDylib = 0x0D;
constexpr uint32_t kSegment64 = 0x19;
constexpr uint32_t kLoadWeakDylib = 0x18 | kRequiresDyld;
constexpr uint32_t kReexportDylib = 0x1F | kRequiresDyld;
constexpr uint32_t kLazyLoadDylib = 0x20;
constexpr uint32_t kDyldInfo = 0x22;
constexpr uint32_t kDyldInfoOnly = 0x22 | kRequiresDyld;
constexpr uint32_t kLoadUpwardDylib = 0x23 | kRequiresDyld;
constexpr uint32_t kDyldExportsTrie = 0x33 | kRequiresDyld;
constexpr uint32_t kDyldChainedFixups = 0x34 | kRequiresDyld;

struct SegmentCommand {
  uint32_t cmd;
  uint32_t cmdsize;
  char segname[16];
  uint64_t vmaddr;
  uint64_t vmsize;
  uint64_t fileoff;
  uint64_t filesize;
  int32_t maxprot;
  int32_t initprot;
  uint32_t nsects;
  uint32_t flags;
};
static_assert(sizeof(SegmentCommand) == 72);

struct Section {
  char sectname[16];
  char segname[16];
  uint64_t addr;
  uint64_t size;
  uint32_t offset;
  uint32_t align;
  uint32_t reloff;
  uint32_t nreloc;
  uint32_t flags;
  uint32_t reserved1;
  uint32_t reserved2;
  uint32_t reserved3;
};
static_assert(sizeof(Section) == 80);

constexpr uint32_t kSectionTypeMask = 0xFF;
constexpr uint32_t kModInitFuncPointers = 0x09;
constexpr uint32_t kInitFuncOffsets = 0x16;

constexpr int32_t kProtRead = 1;
constexpr int32_t kProtWrite = 2;
constexpr int32_t kProtExecute = 4;

struct DyldInfoCommand {
  uint32_t cmd;
  uint32_t cmdsize;
  uint32_t rebase_off;
  uint32_t rebase_size;
  uint32_t bind_off;
  uint32_t bind_size;
  uint32_t weak_bind_off;
  uint32_t weak_bind_size;
  uint32_t lazy_bind_off;
  uint32_t lazy_bind_size;
  uint32_t export_off;
  uint32_t export_size;
};
static_assert(sizeof(DyldInfoCommand) == 48);

struct DylibCommand {
  uint32_t cmd;
  uint32_t cmdsize;
  uint32_t name_offset;
  uint32_t timestamp;
  uint32_t current_version;
  uint32_t compatibility_version;
};
static_assert(sizeof(DylibCommand) == 24);

// Rebase opcodes: the high nibble is the opcode, the low one an immediate.
constexpr uint8_t kOpcodeMask = 0xF0;
constexpr uint8_t kImmediateMask = 0x0F;
constexpr uint8_t kRebaseDone = 0x00;
constexpr uint8_t kRebaseSetTypeImm = 0x10;
constexpr uint8_t kRebaseSetSegmentAndOffsetUleb = 0x20;
constexpr uint8_t kRebaseAddAddrUleb = 0x30;
constexpr uint8_t kRebaseAddAddrImmScaled = 0x40;
constexpr uint8_t kRebaseDoRebaseImmTimes = 0x50;
constexpr uint8_t kRebaseDoRebaseUlebTimes = 0x60;
constexpr uint8_t kRebaseDoRebaseAddAddrUleb = 0x70;
constexpr uint8_t kRebaseDoRebaseUlebTimesSkippingUleb = 0x80;
constexpr uint8_t kRebaseTypePointer = 1;

// Bind opcodes (binds, weak binds and lazy binds share them).
constexpr uint8_t kBindDone = 0x00;
constexpr uint8_t kBindSetDylibOrdinalImm = 0x10;
constexpr uint8_t kBindSetDylibOrdinalUleb = 0x20;
constexpr uint8_t kBindSetDylibSpecialImm = 0x30;
constexpr uint8_t kBindSetSymbolTrailingFlagsImm = 0x40;
constexpr uint8_t kBindSetTypeImm = 0x50;
constexpr uint8_t kBindSetAddendSleb = 0x60;
constexpr uint8_t kBindSetSegmentAndOffsetUleb = 0x70;
constexpr uint8_t kBindAddAddrUleb = 0x80;
constexpr uint8_t kBindDoBind = 0x90;
constexpr uint8_t kBindDoBindAddAddrUleb = 0xA0;
constexpr uint8_t kBindDoBindAddAddrImmScaled = 0xB0;
constexpr uint8_t kBindDoBindUlebTimesSkippingUleb = 0xC0;
constexpr uint8_t kBindTypePointer = 1;
constexpr uint8_t kBindSymbolFlagsNonWeakDefinition = 0x08;
// Special dylib ordinals (the immediate is sign-extended): the image itself, the main
// executable, a flat lookup.
constexpr int64_t kBindOrdinalSelf = 0;
constexpr int64_t kBindOrdinalMainExecutable = -1;
constexpr int64_t kBindOrdinalFlatLookup = -2;

// Export trie entry flags.
constexpr uint64_t kExportKindMask = 0x03;
constexpr uint64_t kExportKindRegular = 0x00;
constexpr uint64_t kExportKindAbsolute = 0x02;
constexpr uint64_t kExportWeakDefinition = 0x04;
constexpr uint64_t kExportReexport = 0x08;
constexpr uint64_t kExportStubAndResolver = 0x10;

} // namespace dvhost::macho
