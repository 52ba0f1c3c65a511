// An image loaded into this process the way the boot environment loads it: the
// library (the artifact) or a module that binds to it. Two forms, told apart by the
// file's magic: an ELF shared object (through the system's dynamic loader) or a Mach-O
// dylib or bundle (through the stand-in's own loader, macho/macho_image.h).
#pragma once
#include <memory>
#include <string>

namespace dvhost {

class LoadedImage {
public:
  virtual ~LoadedImage() = default;
  // Address of an exported symbol by its C-level name ("malloc", "_Znwm"), or null.
  virtual void* find(const std::string& name) const = 0;
  // Whether an address lies inside this image.
  virtual bool contains(const void* address) const = 0;
};

enum class ImageForm { elf, macho, unknown };

// The form of the file at `path` by its magic (unknown also when it cannot be read).
ImageForm image_form(const std::string& path);

// "an ELF shared object", "a Mach-O image" or "neither ELF nor Mach-O".
const char* form_name(ImageForm form);

// Loads `path`, an ELF shared object or a Mach-O image. A Mach-O image's binds resolve
// against `library`'s exports (null: it may bind to nothing but itself); an ELF module
// lists the library as needed and the dynamic loader binds it to the loaded artifact.
// Throws std::runtime_error with a message naming the path when loading fails.
std::unique_ptr<LoadedImage> load_image(const std::string& path, const LoadedImage* library);

} // namespace dvhost
