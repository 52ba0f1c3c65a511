#include "module_imports.h"

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "host/loaded_image.h"

namespace dvttf_run {
namespace {

constexpr uint32_t kLoadCommandSymtab = 0x2;
constexpr uint32_t kLoadCommandsNamingDylibs[] = {0xC, 0x80000018, 0x8000001F, 0x20};
constexpr uint8_t kMachOStab = 0xE0;
constexpr uint8_t kMachOTypeMask = 0x0E;
constexpr uint8_t kMachOExternal = 0x01;

struct File {
  std::string path;
  std::vector<char> bytes;

  // A copy of the T at `offset`; throws when it does not fit.
  template <typename T> T read(uint64_t offset) const {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
      throw std::runtime_error(path + ": cut short (a table lies past the end of the file)");
    }
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
  }

  // The NUL-terminated name at `offset` in the table at [table, table + size).
  std::string name(uint64_t table, uint64_t size, uint64_t offset) const {
    if (offset >= size || table > bytes.size() || bytes.size() - table < size) {
      throw std::runtime_error(path + ": a symbol name lies outside its string table");
    }
    const char* begin = bytes.data() + table + offset;
    return std::string(begin, strnlen(begin, size - offset));
  }
};

void read_elf_dynamic_symbols(const File& file, const Elf64_Shdr& section,
                              const Elf64_Shdr& strings, ModuleImports* imports) {
  for (uint64_t at = sizeof(Elf64_Sym); at + sizeof(Elf64_Sym) <= section.sh_size;
       at += sizeof(Elf64_Sym)) {
    const auto symbol = file.read<Elf64_Sym>(section.sh_offset + at);
    if (symbol.st_shndx == SHN_UNDEF && ELF64_ST_BIND(symbol.st_info) == STB_GLOBAL) {
      imports->names.push_back(file.name(strings.sh_offset, strings.sh_size, symbol.st_name));
    }
  }
}

void read_elf_needed(const File& file, const Elf64_Shdr& section, const Elf64_Shdr& strings,
                     ModuleImports* imports) {
  for (uint64_t at = 0; at + sizeof(Elf64_Dyn) <= section.sh_size; at += sizeof(Elf64_Dyn)) {
    const auto entry = file.read<Elf64_Dyn>(section.sh_offset + at);
    if (entry.d_tag == DT_NULL) {
      return;
    }
    if (entry.d_tag == DT_NEEDED) {
      imports->libraries.push_back(file.name(strings.sh_offset, strings.sh_size, entry.d_un.d_val));
    }
  }
}

ModuleImports elf_imports(const File& file) {
  const auto header = file.read<Elf64_Ehdr>(0);
  ModuleImports imports;
  for (uint64_t i = 0; i < header.e_shnum; ++i) {
    const auto section = file.read<Elf64_Shdr>(header.e_shoff + i * sizeof(Elf64_Shdr));
    if (section.sh_type != SHT_DYNSYM && section.sh_type != SHT_DYNAMIC) {
      continue;
    }
    const auto strings =
        file.read<Elf64_Shdr>(header.e_shoff + section.sh_link * sizeof(Elf64_Shdr));
    if (section.sh_type == SHT_DYNSYM) {
      read_elf_dynamic_symbols(file, section, strings, &imports);
    } else {
      read_elf_needed(file, section, strings, &imports);
    }
  }
  return imports;
}

struct MachHeader64 {
  uint32_t magic, cputype, cpusubtype, filetype, ncmds, sizeofcmds, flags, reserved;
};
struct DylibCommand {
  uint32_t cmd, cmdsize, name_offset, timestamp, current_version, compatibility_version;
};
struct SymtabCommand {
  uint32_t cmd, cmdsize, symoff, nsyms, stroff, strsize;
};
struct Nlist64 {
  uint32_t n_strx;
  uint8_t n_type;
  uint8_t n_sect;
  uint16_t n_desc;
  uint64_t n_value;
};

bool names_dylib(uint32_t command) {
  return std::find(std::begin(kLoadCommandsNamingDylibs), std::end(kLoadCommandsNamingDylibs),
                   command) != std::end(kLoadCommandsNamingDylibs);
}

ModuleImports macho_imports(const File& file) {
  const auto header = file.read<MachHeader64>(0);
  ModuleImports imports;
  uint64_t command = sizeof(MachHeader64);
  for (uint32_t i = 0; i < header.ncmds; ++i) {
    const auto symtab = file.read<SymtabCommand>(command);
    if (symtab.cmdsize < 8) {
      throw std::runtime_error(file.path + ": a load command of size " +
                               std::to_string(symtab.cmdsize));
    }
    const uint64_t this_command = command;
    command += symtab.cmdsize;
    if (names_dylib(symtab.cmd)) {
      const auto dylib = file.read<DylibCommand>(this_command);
      imports.libraries.push_back(file.name(this_command, dylib.cmdsize, dylib.name_offset));
    }
    if (symtab.cmd != kLoadCommandSymtab) {
      continue;
    }
    for (uint64_t s = 0; s < symtab.nsyms; ++s) {
      const auto symbol = file.read<Nlist64>(symtab.symoff + s * sizeof(Nlist64));
      const bool undefined_external = (symbol.n_type & kMachOStab) == 0 &&
                                      (symbol.n_type & kMachOTypeMask) == 0 &&
                                      (symbol.n_type & kMachOExternal) != 0;
      if (undefined_external) {
        const std::string name = file.name(symtab.stroff, symtab.strsize, symbol.n_strx);
        imports.names.push_back(name.rfind('_', 0) == 0 ? name.substr(1) : name);
      }
    }
  }
  return imports;
}

} // namespace

ModuleImports module_imports(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  File file{path, std::vector<char>(std::istreambuf_iterator<char>(in), {})};
  ModuleImports imports;
  switch (dvhost::image_form(path)) {
  case dvhost::ImageForm::elf:
    imports = elf_imports(file);
    break;
  case dvhost::ImageForm::macho:
    imports = macho_imports(file);
    break;
  case dvhost::ImageForm::unknown:
    throw std::runtime_error(path + ": neither an ELF shared object nor a 64-bit Mach-O image");
  }
  std::vector<std::string>& names = imports.names;
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  return imports;
}

} // namespace dvttf_run
