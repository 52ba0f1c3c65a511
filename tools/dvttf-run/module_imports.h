// What a module binds to outside itself. The names, from its symbol table: the undefined
// global symbols of an ELF shared object's .dynsym, the undefined external symbols of a
// Mach-O image's LC_SYMTAB (without the Mach-O underscore); the loader must find each
// among the library's exports. The libraries it needs: DT_NEEDED entries, or the dylibs
// of its LC_LOAD_DYLIB commands; on the machine there is only /lib/DovrelTTF.dylib.
#pragma once

#include <string>
#include <vector>

namespace dvttf_run {

struct ModuleImports {
  std::vector<std::string> names;     // sorted, each once
  std::vector<std::string> libraries; // in the order the module lists them
};

// Throws std::runtime_error naming the file when its tables are cut short or it is
// neither form.
ModuleImports module_imports(const std::string& path);

} // namespace dvttf_run
