#include "cff_facts.h"

namespace dvttf_info {

void print_cff_facts(const CffFont& font, FILE* out) {
  if (font.cid_keyed) {
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
