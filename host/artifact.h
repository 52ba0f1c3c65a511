// Loads the artifact (libDovrelTTF.so) into this process the way the boot environment
// binds to it: dlopen(RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND), so its own calls bind to
// its own definitions. The artifact reads the boot page as soon as it is called, so
// install the stand-in (stand_in.h) before calling into it.
#pragma once
#include <stdexcept>
#include <string>

namespace dvhost {

class Artifact {
public:
  // Throws std::runtime_error with dlerror()'s text when loading fails.
  explicit Artifact(std::string path);
  ~Artifact();
  Artifact(const Artifact&) = delete;
  Artifact& operator=(const Artifact&) = delete;

  // Address of an exported symbol, or null when the artifact does not export it.
  void* find(const std::string& name) const;

  // Address of an exported symbol as a function or object pointer; throws
  // std::runtime_error naming the symbol when it is missing.
  template <typename T> T* get(const std::string& name) const {
    void* address = find(name);
    if (!address)
      throw std::runtime_error("artifact does not export " + name);
    return reinterpret_cast<T*>(address);
  }

  // Unloads and loads the artifact again: every global of the library starts over
  // (used after a halt abandoned the library mid-call). Pointers from find/get die.
  void reload();

  const std::string& path() const { return path_; }

private:
  void open();

  std::string path_;
  void* handle_ = nullptr;
};

} // namespace dvhost
