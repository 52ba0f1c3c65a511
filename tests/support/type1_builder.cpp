#include "type1_builder.h"

namespace testfont {
namespace {

Bytes crypt(const Bytes& input, uint16_t key, bool encrypting) {
  Bytes output(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    output[i] = input[i] ^ (key >> 8);
    const uint8_t cipher = encrypting ? output[i] : input[i];
    key = static_cast<uint16_t>((cipher + key) * 52845u + 22719u);
  }
  return output;
}

std::string as_text(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

} // namespace

Bytes type1_encrypt(const Bytes& plain, uint16_t key) {
  return crypt(plain, key, true);
}

Bytes type1_decrypt(const Bytes& cipher, uint16_t key) {
  return crypt(cipher, key, false);
}

Charstring& Charstring::num(int32_t v) {
  if (v >= -107 && v <= 107) {
    bytes_.push_back(static_cast<uint8_t>(v + 139));
  } else if (v >= 108 && v <= 1131) {
    int w = v - 108;
    bytes_.push_back(static_cast<uint8_t>(247 + w / 256));
    bytes_.push_back(static_cast<uint8_t>(w % 256));
  } else if (v >= -1131 && v <= -108) {
    int w = -v - 108;
    bytes_.push_back(static_cast<uint8_t>(251 + w / 256));
    bytes_.push_back(static_cast<uint8_t>(w % 256));
  } else {
    uint32_t u = static_cast<uint32_t>(v);
    bytes_.insert(bytes_.end(), {255, static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16),
                                 static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)});
  }
  return *this;
}

Charstring& Charstring::op(uint8_t code) {
  bytes_.push_back(code);
  return *this;
}

Charstring& Charstring::esc(uint8_t code) {
  bytes_.push_back(12);
  bytes_.push_back(code);
  return *this;
}

Charstring& Charstring::raw(std::initializer_list<uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes);
  return *this;
}

Bytes encrypt_charstring(const Bytes& plain, int prefix_length) {
  Bytes data(prefix_length > 0 ? prefix_length : 0, 0x5A);
  data.insert(data.end(), plain.begin(), plain.end());
  return type1_encrypt(data, kCharstringKey);
}

Bytes eexec_encrypt(const std::string& plain) {
  Bytes data{0x11, 0x22, 0x33, 0x44};
  data.insert(data.end(), plain.begin(), plain.end());
  return type1_encrypt(data, kEexecKey);
}

Bytes eexec_decrypt(const Bytes& cipher) {
  return type1_decrypt(cipher, kEexecKey);
}

std::string Type1Builder::clear_text() const {
  std::string text = header + font_bbox;
  if (standard_encoding) {
    text += "/Encoding StandardEncoding def\n";
  } else {
    text += "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n";
    for (const auto& [code, name] : encoding)
      text += "dup " + std::to_string(code) + " /" + name + " put\n";
    text += "readonly def\n";
  }
  text += "currentfile eexec\n";
  return text;
}

std::string Type1Builder::private_part() const {
  std::string subr_text;
  if (write_subrs) {
    subr_text = "/Subrs " + std::to_string(subrs.size()) + " array\n";
    for (const auto& [index, plain] : subrs) {
      Bytes cipher = encrypt_charstrings ? encrypt_charstring(plain, len_iv) : plain;
      subr_text += "dup " + std::to_string(index) + " " + std::to_string(cipher.size()) + " " +
                   rd_token + rd_separator + as_text(cipher) + " NP\n";
    }
    subr_text += "ND\n";
  }
  std::string chars_text =
      "2 index /CharStrings " + std::to_string(charstrings.size()) + " dict dup begin\n";
  for (const auto& [name, plain] : charstrings) {
    Bytes cipher = encrypt_charstrings ? encrypt_charstring(plain, len_iv) : plain;
    chars_text += "/" + name + " " + std::to_string(cipher.size()) + " " + rd_token + rd_separator +
                  as_text(cipher) + " ND\n";
  }
  chars_text += "end\nend\nreadonly put\nnoaccess put\ndup /FontName get exch definefont pop\n"
                "mark currentfile closefile\n";
  std::string text = "dup /Private 8 dict dup begin\n/RD{string currentfile exch readstring pop}"
                     "executeonly def\n/ND{noaccess def}executeonly def\n"
                     "/NP{noaccess put}executeonly def\n";
  if (write_len_iv)
    text += "/lenIV " + std::to_string(len_iv) + " def\n";
  text += subrs_after_charstrings ? chars_text + subr_text : subr_text + chars_text;
  return text;
}

std::string trailer() {
  std::string zeros;
  for (int line = 0; line < 8; ++line)
    zeros += std::string(64, '0') + "\n";
  return zeros + "cleartomark\n";
}

void append_pfb_segment(Bytes& out, uint8_t type, const Bytes& payload) {
  uint32_t n = static_cast<uint32_t>(payload.size());
  out.insert(out.end(), {0x80, type, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                         static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 24)});
  out.insert(out.end(), payload.begin(), payload.end());
}

Bytes Type1Builder::pfb() const {
  Bytes out;
  std::string clear = clear_text();
  append_pfb_segment(out, 1, Bytes(clear.begin(), clear.end()));
  append_pfb_segment(out, 2, eexec_encrypt(private_part()));
  std::string tail = trailer();
  append_pfb_segment(out, 1, Bytes(tail.begin(), tail.end()));
  out.insert(out.end(), {0x80, 3});
  return out;
}

Bytes Type1Builder::pfa(size_t hex_line, const std::string& eexec_line_break) const {
  std::string text = clear_text();
  text.pop_back(); // the builder's own line break after "currentfile eexec"
  text += eexec_line_break;
  static const char kDigits[] = "0123456789abcdef";
  Bytes cipher = eexec_encrypt(private_part());
  for (size_t i = 0; i < cipher.size(); ++i) {
    text += kDigits[cipher[i] >> 4];
    text += kDigits[cipher[i] & 15];
    if ((i + 1) * 2 % hex_line == 0)
      text += '\n';
  }
  text += "\n" + trailer();
  return Bytes(text.begin(), text.end());
}

Bytes Type1Builder::t1() const {
  std::string clear = clear_text();
  Bytes out(clear.begin(), clear.end());
  Bytes cipher = eexec_encrypt(private_part());
  out.insert(out.end(), cipher.begin(), cipher.end());
  std::string tail = "\n" + trailer();
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

} // namespace testfont
