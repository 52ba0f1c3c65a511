// Writes Type 1 font programs byte for byte for tests: charstrings assembled from numbers
// and operators, charstring and eexec encryption, PFB segments and PFA hexadecimal.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testfont {

using Bytes = std::vector<uint8_t>;

// Assembles a plain (decrypted) charstring.
class Charstring {
public:
  Charstring& num(int32_t value);
  Charstring& op(uint8_t code);
  Charstring& esc(uint8_t code);
  Charstring& raw(std::initializer_list<uint8_t> bytes);

  // Frequently used operators.
  Charstring& hsbw(int sidebearing, int width) { return num(sidebearing).num(width).op(13); }
  Charstring& rmoveto(int dx, int dy) { return num(dx).num(dy).op(21); }
  Charstring& rlineto(int dx, int dy) { return num(dx).num(dy).op(5); }
  Charstring& hlineto(int dx) { return num(dx).op(6); }
  Charstring& vlineto(int dy) { return num(dy).op(7); }
  Charstring& closepath() { return op(9); }
  Charstring& callsubr(int index) { return num(index).op(10); }
  Charstring& ret() { return op(11); }
  Charstring& endchar() { return op(14); }
  Charstring& rrcurveto(int dx1, int dy1, int dx2, int dy2, int dx3, int dy3) {
    return num(dx1).num(dy1).num(dx2).num(dy2).num(dx3).num(dy3).op(8);
  }
  // The arguments must already be on the stack.
  Charstring& callothersubr(int argument_count, int number) {
    return num(argument_count).num(number).esc(16);
  }
  Charstring& pop() { return esc(17); }

  const Bytes& bytes() const { return bytes_; }

private:
  Bytes bytes_;
};

// The Type 1 cipher keys: the eexec section's and every charstring's.
inline constexpr uint16_t kEexecKey = 55665;
inline constexpr uint16_t kCharstringKey = 4330;
// The Type 1 cipher with `key`, either way: the key always advances with the cipher bytes.
Bytes type1_encrypt(const Bytes& plain, uint16_t key);
Bytes type1_decrypt(const Bytes& cipher, uint16_t key);

// The charstring cipher (key 4330) applied to `prefix` random bytes followed by `plain`.
Bytes encrypt_charstring(const Bytes& plain, int prefix_length);
// The eexec cipher (key 55665) over four prefix bytes followed by `plain`.
Bytes eexec_encrypt(const std::string& plain);
Bytes eexec_decrypt(const Bytes& cipher);

struct Type1Builder {
  std::string header = "%!PS-AdobeFont-1.0: DvTest 001\n/FontName /DvTest def\n";
  std::string font_bbox = "/FontBBox {-50 -250 1050 900} readonly def\n";
  std::vector<std::pair<int, std::string>> encoding; // written as "dup N /name put"
  bool standard_encoding = false; // "/Encoding StandardEncoding def" instead of entries
  int len_iv = 4;                 // prefix bytes given to every charstring and subroutine
  bool write_len_iv = false;      // writes "/lenIV N def" into the private part
  bool write_subrs = true;
  bool subrs_after_charstrings = false;
  std::string rd_separator = " ";
  std::string rd_token = "RD";              // the format also allows "-|"
  bool encrypt_charstrings = true;          // false: plain bytes (what a lenIV of -1 announces)
  std::vector<std::pair<int, Bytes>> subrs; // index, plain charstring
  std::vector<std::pair<std::string, Bytes>> charstrings; // name, plain charstring

  std::string clear_text() const;
  std::string private_part() const;
  Bytes pfb() const;
  // The text form: clear text, the encrypted section as hexadecimal lines of
  // `hex_line` digits, then the trailer.
  Bytes pfa(size_t hex_line = 64, const std::string& eexec_line_break = "\n") const;
  // Clear text followed directly by the binary eexec section and the trailer (a ".t1" file).
  Bytes t1() const;
};

std::string trailer();
void append_pfb_segment(Bytes& out, uint8_t type, const Bytes& payload);

} // namespace testfont
