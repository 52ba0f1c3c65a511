// Loads the artifact into this process the way the boot environment binds to it. Either
// form works, told apart by the file's magic: the ELF shared object (libDovrelTTF.so,
// through dlopen with RTLD_DEEPBIND, so its own calls bind to its own definitions) or the
// Mach-O dylib (DovrelTTF.dylib, through the stand-in's Mach-O loader). The artifact
// reads the boot page as soon as it is called, so install the stand-in (stand_in.h)
// before calling into it.
#pragma once
#include <memory>
#include <stdexcept>
#include <string>

#include "host/loaded_image.h"

namespace dvhost {

class Artifact {
public:
  // Throws std::runtime_error with the loader's message when loading fails.
  explicit Artifact(std::string path);
  ~Artifact();
  Artifact(const Artifact&) = delete;
  Artifact& operator=(const Artifact&) = delete;

  // Address of an exported symbol (C-level name, as in exports.list), or null when the
  // artifact does not export it.
  void* find(const std::string& name) const;

  // Address of an exported symbol as a function or object pointer; throws
  // std::runtime_error naming the symbol when it is missing.
  template <typename T> T* get(const std::string& name) const {
    void* address = find(name);
    if (!address)
      throw std::runtime_error("artifact does not export " + name);
    return reinterpret_cast<T*>(address);
  }

  // Whether an address lies inside the artifact.
  bool contains(const void* address) const;

  // Loads a module that binds to this artifact (an ELF shared object needing it, or a
  // Mach-O dylib or bundle binding to /lib/DovrelTTF.dylib). Unload modules before the
  // artifact reloads.
  std::unique_ptr<LoadedImage> load_module(const std::string& path) const;

  // Unloads and loads the artifact again: every global of the library starts over
  // (used after a halt abandoned the library mid-call). Pointers from find/get die.
  void reload();

  const std::string& path() const { return path_; }

private:
  std::string path_;
  std::unique_ptr<LoadedImage> image_;
};

} // namespace dvhost
