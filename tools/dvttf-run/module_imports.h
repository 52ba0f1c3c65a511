// The names a module binds to outside itself, read from its symbol table: the undefined
// global symbols of an ELF shared object's .dynsym, the undefined external symbols of a
// Mach-O image's LC_SYMTAB (without the Mach-O underscore). These are the names the
// loader must find among the library's exports.
#pragma once

#include <string>
#include <vector>

namespace dvttf_run {

// Sorted, each once. Throws std::runtime_error naming the file when its tables are cut
// short or it is neither form.
std::vector<std::string> module_imports(const std::string& path);

} // namespace dvttf_run
