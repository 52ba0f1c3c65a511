#include "cff_facts.h"

namespace dvttf_info {

void print_cff_facts(const CffFont& font, FILE* out) {
  if (font.cff2) {
    std::fprintf(out, "CFF2: %zu Font DICTs (%s), %s\n", font.privates.size,
                 font.fd_select_format > 4    ? "no FDSelect"
                 : font.fd_select_format == 0 ? "FDSelect format 0"
                 : font.fd_select_format == 3 ? "FDSelect format 3"
                                              : "FDSelect format 4",
                 font.cff2_store.present ? "an item variation store" : "no variation store");
  } else if (font.cid_keyed) {
    std::fprintf(out, "CFF: CID-keyed, %zu Font DICTs (FDSelect format %u)\n", font.privates.size,
                 font.fd_select_format);
  } else {
    std::fprintf(out, "CFF: not CID-keyed (one Private DICT)\n");
  }
  std::fprintf(out, "charstrings: %u\n", font.charstrings.count);
  std::fprintf(out, "global subroutines: %u\n", font.global_subrs.count);
  unsigned long local = 0;
  for (size_t i = 0; i < font.privates.size; ++i)
    local += font.privates.data[i].local_subrs.count;
  std::fprintf(out, "local subroutines: %lu\n", local);
}

} // namespace dvttf_info
