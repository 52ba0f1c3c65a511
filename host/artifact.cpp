#include "host/artifact.h"

#include <dlfcn.h>

namespace dvhost {

Artifact::Artifact(std::string path) : path_(std::move(path)) {
  open();
}

Artifact::~Artifact() {
  if (handle_)
    dlclose(handle_);
}

void Artifact::open() {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
  if (!handle_) {
    const char* error = dlerror();
    throw std::runtime_error("cannot load " + path_ + ": " + (error ? error : "unknown error"));
  }
}

void* Artifact::find(const std::string& name) const {
  dlerror();
  return dlsym(handle_, name.c_str());
}

void Artifact::reload() {
  dlclose(handle_);
  handle_ = nullptr;
  open();
}

} // namespace dvhost
