#include "support/cff_builder.h"

#include <algorithm>
#include <cmath>

namespace testfont {

Type2Code& Type2Code::n(int value) {
  if (value >= -107 && value <= 107) {
    bytes_.push_back(static_cast<uint8_t>(value + 139));
  } else if (value >= 108 && value <= 1131) {
    bytes_.push_back(static_cast<uint8_t>((value - 108) / 256 + 247));
    bytes_.push_back(static_cast<uint8_t>((value - 108) % 256));
  } else if (value >= -1131 && value <= -108) {
    bytes_.push_back(static_cast<uint8_t>((-value - 108) / 256 + 251));
    bytes_.push_back(static_cast<uint8_t>((-value - 108) % 256));
  } else {
    bytes_.push_back(28);
    bytes_.push_back(static_cast<uint8_t>(value >> 8));
    bytes_.push_back(static_cast<uint8_t>(value));
  }
  return *this;
}

Type2Code& Type2Code::fixed(double value) {
  const auto raw = static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536.0)));
  bytes_.push_back(255);
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes_.push_back(static_cast<uint8_t>(raw >> shift));
  return *this;
}

Type2Code& Type2Code::op(uint8_t code) {
  bytes_.push_back(code);
  return *this;
}

Type2Code& Type2Code::esc(uint8_t code) {
  bytes_.push_back(12);
  bytes_.push_back(code);
  return *this;
}

Type2Code& Type2Code::raw(const Bytes& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

Bytes dict_int(int32_t value) {
  const auto raw = static_cast<uint32_t>(value);
  return {29, static_cast<uint8_t>(raw >> 24), static_cast<uint8_t>(raw >> 16),
          static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw)};
}

Bytes cff_index(const std::vector<Bytes>& objects, int count_size) {
  ByteWriter out;
  if (count_size == 4)
    out.u32(static_cast<uint32_t>(objects.size()));
  else
    out.u16(static_cast<uint16_t>(objects.size()));
  if (objects.empty())
    return out.bytes();
  out.u8(4);
  uint32_t offset = 1;
  out.u32(offset);
  for (const Bytes& object : objects)
    out.u32(offset += static_cast<uint32_t>(object.size()));
  for (const Bytes& object : objects)
    out.append(object);
  return out.bytes();
}

namespace {

Bytes with_operator(Bytes operands, std::initializer_list<uint8_t> op) {
  operands.insert(operands.end(), op);
  return operands;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A Private DICT naming its local subroutines (placed right after it), and those.
Bytes private_dict(const std::vector<Bytes>& subrs) {
  return subrs.empty() ? Bytes{} : with_operator(dict_int(6), {19});
}

Bytes private_block(const std::vector<Bytes>& subrs) {
  Bytes block = private_dict(subrs);
  if (!subrs.empty()) {
    const Bytes index = cff_index(subrs);
    block.insert(block.end(), index.begin(), index.end());
  }
  return block;
}

Bytes fd_select_data(const CffParams& params) {
  ByteWriter out;
  out.u8(static_cast<uint8_t>(params.fd_select_format));
  if (params.fd_select_format == 0) {
    for (uint8_t fd : params.fd_select)
      out.u8(fd);
    return out.bytes();
  }
  std::vector<std::pair<uint16_t, uint8_t>> ranges;
  for (size_t glyph = 0; glyph < params.fd_select.size(); ++glyph)
    if (ranges.empty() || ranges.back().second != params.fd_select[glyph])
      ranges.push_back({static_cast<uint16_t>(glyph), params.fd_select[glyph]});
  out.u16(static_cast<uint16_t>(ranges.size()));
  for (const auto& [first, fd] : ranges)
    out.u16(first).u8(fd);
  out.u16(static_cast<uint16_t>(params.fd_select.size()));
  return out.bytes();
}

struct Layout {
  int32_t charstrings = 0, private_offset = 0, private_size = 0, charset = 0, fd_array = 0,
          fd_select = 0;
};

Bytes top_dict(const CffParams& params, const Layout& at) {
  const bool cid = !params.font_dict_subrs.empty();
  Bytes dict;
  if (cid)
    dict = concat({dict, dict_int(391), dict_int(392), dict_int(0), {12, 30}});
  dict = concat({dict, with_operator(dict_int(at.charstrings), {17})});
  if (!params.charset_sids.empty())
    dict = concat({dict, with_operator(dict_int(at.charset), {15})});
  if (cid) {
    dict = concat({dict, with_operator(dict_int(at.fd_array), {12, 36}),
                   with_operator(dict_int(at.fd_select), {12, 37})});
  } else {
    dict =
        concat({dict, dict_int(at.private_size), with_operator(dict_int(at.private_offset), {18})});
  }
  return concat({dict, params.extra_top_dict});
}

} // namespace

Bytes cff_table(const CffParams& params) {
  const Bytes header = {1, 0, 4, 4};
  const Bytes names = cff_index({Bytes{'T', 'e', 's', 't'}});
  const Bytes strings = cff_index({});
  const Bytes globals = cff_index(params.global_subrs);
  const Bytes charstrings = cff_index(params.charstrings);
  const size_t top_size = cff_index({top_dict(params, {})}).size();

  Layout at;
  size_t offset = header.size() + names.size() + top_size + strings.size() + globals.size();
  at.charstrings = static_cast<int32_t>(offset);
  offset += charstrings.size();
  Bytes tail;
  if (params.font_dict_subrs.empty()) {
    at.private_offset = static_cast<int32_t>(offset);
    at.private_size = static_cast<int32_t>(private_dict(params.local_subrs).size());
    tail = private_block(params.local_subrs);
  } else {
    // The Private DICTs, then the FDArray whose Font DICTs point at them, then FDSelect.
    std::vector<Bytes> font_dicts;
    for (const auto& subrs : params.font_dict_subrs) {
      const Bytes block = private_block(subrs);
      font_dicts.push_back(
          concat({dict_int(static_cast<int32_t>(private_dict(subrs).size())),
                  with_operator(dict_int(static_cast<int32_t>(offset + tail.size())), {18})}));
      tail = concat({tail, block});
    }
    at.fd_array = static_cast<int32_t>(offset + tail.size());
    tail = concat({tail, cff_index(font_dicts)});
    at.fd_select = static_cast<int32_t>(offset + tail.size());
    tail = concat({tail, fd_select_data(params)});
  }
  if (!params.charset_sids.empty()) {
    at.charset = static_cast<int32_t>(offset + tail.size());
    ByteWriter charset;
    charset.u8(0);
    for (uint16_t sid : params.charset_sids)
      charset.u16(sid);
    tail = concat({tail, charset.bytes()});
  }
  return concat(
      {header, names, cff_index({top_dict(params, at)}), strings, globals, charstrings, tail});
}

Bytes build_cff_font(const FontParams& sfnt, const CffParams& cff) {
  FontParams params = sfnt;
  params.omit_tables.push_back("glyf");
  params.omit_tables.push_back("loca");
  params.extra_tables.push_back({"CFF ", cff_table(cff)});
  return sfnt_file(font_tables(params), 0x4F54544F);
}

} // namespace testfont
