// Where the tools find the artifact when no --library is given: beside their own
// executable in a build directory (build/dvttf-render, build/libDovrelTTF.so), or in the
// library directory of the prefix they are installed in (PREFIX/bin/dvttf-render,
// PREFIX/lib/dovrelttf/libDovrelTTF.so). Nothing is baked in at build time, so an
// installed tree works wherever DESTDIR put it.
#pragma once

#include <string>

namespace dvttf_tools {

// The artifact's directory below an installation prefix.
inline constexpr const char* kInstalledLibraryDir = "lib/dovrelttf";
inline constexpr const char* kElfArtifactName = "libDovrelTTF.so";
inline constexpr const char* kMachOArtifactName = "DovrelTTF.dylib";

// The module guide for messages: PREFIX/share/doc/dovrelttf/docs/modules.md beside an
// installed tool, else "docs/modules.md" (the source tree's).
std::string module_guide_path();

// The artifact `name` for this executable; throws std::runtime_error naming the places
// looked at when there is none.
std::string default_artifact_path(const char* name = kElfArtifactName);

} // namespace dvttf_tools
