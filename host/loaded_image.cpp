#include "host/loaded_image.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/elf_image.h"
#include "host/macho/macho_format.h"
#include "host/macho/macho_image.h"

namespace dvhost {
namespace {

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot load " + path + ": cannot open the file");
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool is_elf(const std::vector<uint8_t>& bytes) {
  return bytes.size() >= 4 && bytes[0] == 0x7F && bytes[1] == 'E' && bytes[2] == 'L' &&
         bytes[3] == 'F';
}

bool is_macho(const std::vector<uint8_t>& bytes) {
  uint32_t magic = 0;
  if (bytes.size() >= sizeof magic)
    std::memcpy(&magic, bytes.data(), sizeof magic);
  return magic == macho::kMagic64;
}

// A Mach-O image's binds go to the library when they name its install name (or ask
// for a flat lookup); anything else cannot be satisfied here.
MachOBindResolver resolver_for(const LoadedImage* library) {
  auto* macho_library = dynamic_cast<const MachOImage*>(library);
  if (!macho_library)
    return nullptr;
  return [macho_library](std::string_view dylib, std::string_view symbol) -> void* {
    if (!dylib.empty() && dylib != macho_library->install_name())
      return nullptr;
    return macho_library->find_link_name(symbol);
  };
}

} // namespace

ImageForm image_form(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> head(4);
  if (!in.read(reinterpret_cast<char*>(head.data()), 4))
    return ImageForm::unknown;
  return is_elf(head) ? ImageForm::elf : is_macho(head) ? ImageForm::macho : ImageForm::unknown;
}

const char* form_name(ImageForm form) {
  switch (form) {
  case ImageForm::elf:
    return "an ELF shared object";
  case ImageForm::macho:
    return "a Mach-O image";
  case ImageForm::unknown:
    break;
  }
  return "neither ELF nor Mach-O";
}

std::unique_ptr<LoadedImage> load_image(const std::string& path, const LoadedImage* library) {
  std::vector<uint8_t> bytes = read_file(path);
  if (is_elf(bytes))
    return std::make_unique<ElfImage>(path);
  if (!is_macho(bytes))
    throw std::runtime_error("cannot load " + path + ": neither ELF nor 64-bit Mach-O");
  try {
    return std::make_unique<MachOImage>(bytes, path, resolver_for(library));
  } catch (const MachOError& error) {
    throw std::runtime_error(std::string("cannot load ") + error.what());
  }
}

} // namespace dvhost
