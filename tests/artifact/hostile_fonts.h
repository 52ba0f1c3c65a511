// Seeded mutations of real font files for the hostile campaign. TrueType files are
// mutated byte for byte; Type 1 programs are mutated below their encryption (the private
// part after eexec decryption, and single charstrings inside it), then encrypted again
// and written in the binary (PFB) or the text (PFA) form, so that mutations reach the
// parser and the charstring interpreter instead of garbling everything after them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

using Bytes = std::vector<uint8_t>;

// splitmix64: a small generator whose sequence is fixed for a seed on every platform.
class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next();
  uint64_t below(uint64_t bound) { return bound == 0 ? 0 : next() % bound; }

private:
  uint64_t state_;
};

// kT1: clear text followed by the binary eexec section (as the .t1 files of
// fonts-urw-base35), which only the extended loader's complete Type 1 option reads.
// kOpenTypeCff and kCollection are mutated byte for byte, as kTrueType.
enum class FontForm { kTrueType, kPfb, kPfa, kT1, kOpenTypeCff, kCollection };

struct SourceFont {
  std::string path;
  FontForm form;
  Bytes bytes;           // as read; for kPfa and kT1 the PFB the form is made from
  unsigned int face = 0; // the face a collection is loaded with
};

// The real fonts the campaign mutates, those installed: DejaVu Sans, Liberation Sans,
// NimbusSans as PFB and as PFA.
std::vector<SourceFont> installed_fonts();

// The fonts the OpenType CFF and collection campaign mutates, those installed:
// NimbusSans as OpenType CFF, and both faces of a collection of it and Liberation Sans.
std::vector<SourceFont> installed_cff_fonts();

// The Type 1 fonts the complete-mode campaign mutates, those installed: NimbusRoman (whose
// accented letters are seac, with curves, flex and hint replacement) as PFB, as PFA and as
// clear text with binary eexec data.
std::vector<SourceFont> installed_complete_type1_fonts();

// The mutated file of case `index` of the campaign seeded with `seed`: the same inputs
// always give the same bytes. `font` says which source font was used.
Bytes mutated_case(const std::vector<SourceFont>& fonts, uint64_t seed, uint64_t index,
                   size_t* font);

// The text form of a PFB program (hexadecimal eexec section, 64 digits a line).
Bytes pfb_to_pfa(const Bytes& pfb);

// The PFB program as clear text followed by its binary eexec section and the trailer.
Bytes pfb_to_t1(const Bytes& pfb);

// A source font in the form it is given to the library.
Bytes unmutated(const SourceFont& font);

} // namespace hostile
