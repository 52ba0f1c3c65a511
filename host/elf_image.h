// An ELF shared object loaded with dlopen(RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND), so its
// own calls bind to its own definitions (or, for a module, to the library it needs).
#pragma once
#include <string>

#include "host/loaded_image.h"

namespace dvhost {

class ElfImage : public LoadedImage {
public:
  // Throws std::runtime_error with dlerror()'s text.
  explicit ElfImage(const std::string& path);
  ~ElfImage() override;
  ElfImage(const ElfImage&) = delete;
  ElfImage& operator=(const ElfImage&) = delete;

  void* find(const std::string& name) const override;
  bool contains(const void* address) const override;

private:
  void* handle_ = nullptr;
};

} // namespace dvhost
