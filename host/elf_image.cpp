#include "host/elf_image.h"

#include <dlfcn.h>
#include <link.h>

#include <stdexcept>

namespace dvhost {

ElfImage::ElfImage(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
  if (!handle_) {
    const char* error = dlerror();
    throw std::runtime_error("cannot load " + path + ": " + (error ? error : "unknown error"));
  }
}

ElfImage::~ElfImage() {
  dlclose(handle_);
}

void* ElfImage::find(const std::string& name) const {
  dlerror();
  return dlsym(handle_, name.c_str());
}

bool ElfImage::contains(const void* address) const {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr(address, &info) == 0 || dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0)
    return false;
  return reinterpret_cast<uintptr_t>(info.dli_fbase) == map->l_addr;
}

} // namespace dvhost
