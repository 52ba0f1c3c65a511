#include "support/cff2_builder.h"

#include <algorithm>
#include <cmath>

namespace testfont {

namespace {

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts)
    out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes with_operator(Bytes operands, std::initializer_list<uint8_t> op) {
  operands.insert(operands.end(), op);
  return operands;
}

uint16_t f2dot14(double value) {
  return static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 16384.0)));
}

// A Private DICT: its own operators, then Subrs pointing right past the DICT.
Bytes private_dict(const Cff2FontDict& font_dict) {
  Bytes dict = font_dict.private_operators;
  if (font_dict.local_subrs.empty())
    return dict;
  const size_t size = dict.size() + 6; // five-byte integer and the operator
  return concat({dict, with_operator(dict_int(static_cast<int32_t>(size)), {19})});
}

Bytes fd_select_data(const Cff2Params& params) {
  ByteWriter out;
  out.u8(static_cast<uint8_t>(params.fd_select_format));
  if (params.fd_select_format == 0) {
    for (uint16_t fd : params.fd_select)
      out.u8(static_cast<uint8_t>(fd));
    return out.bytes();
  }
  std::vector<std::pair<uint32_t, uint16_t>> ranges;
  for (size_t glyph = 0; glyph < params.fd_select.size(); ++glyph)
    if (ranges.empty() || ranges.back().second != params.fd_select[glyph])
      ranges.push_back({static_cast<uint32_t>(glyph), params.fd_select[glyph]});
  const bool wide = params.fd_select_format == 4;
  wide ? out.u32(static_cast<uint32_t>(ranges.size()))
       : out.u16(static_cast<uint16_t>(ranges.size()));
  for (const auto& [first, fd] : ranges)
    wide ? out.u32(first).u16(fd)
         : out.u16(static_cast<uint16_t>(first)).u8(static_cast<uint8_t>(fd));
  const auto sentinel = static_cast<uint32_t>(params.fd_select.size());
  wide ? out.u32(sentinel) : out.u16(static_cast<uint16_t>(sentinel));
  return out.bytes();
}

struct Layout {
  int32_t charstrings = 0, vstore = 0, fd_array = 0, fd_select = 0;
};

// Every offset in the five-byte form, so the DICT's size does not depend on the layout.
Bytes top_dict(const Cff2Params& params, const Layout& at) {
  Bytes dict = with_operator(dict_int(at.charstrings), {17});
  if (!params.variation_store.empty())
    dict = concat({dict, with_operator(dict_int(at.vstore), {24})});
  dict = concat({dict, with_operator(dict_int(at.fd_array), {12, 36})});
  if (!params.fd_select.empty())
    dict = concat({dict, with_operator(dict_int(at.fd_select), {12, 37})});
  return dict;
}

} // namespace

Bytes cff2_index(const std::vector<Bytes>& objects) {
  return cff_index(objects, 4);
}

Bytes cff2_variation_store(const std::vector<std::vector<double>>& peaks,
                           const std::vector<std::vector<uint16_t>>& data_set_regions) {
  const size_t axes = peaks.empty() ? 0 : peaks[0].size();
  ByteWriter regions;
  regions.u16(static_cast<uint16_t>(axes)).u16(static_cast<uint16_t>(peaks.size()));
  for (const auto& peak : peaks)
    for (double p : peak)
      regions.u16(f2dot14(std::min(0.0, p))).u16(f2dot14(p)).u16(f2dot14(std::max(0.0, p)));
  std::vector<Bytes> sets;
  for (const auto& names : data_set_regions) {
    ByteWriter set;
    set.u16(0).u16(0).u16(static_cast<uint16_t>(names.size()));
    for (uint16_t r : names)
      set.u16(r);
    sets.push_back(set.bytes());
  }
  ByteWriter out;
  const uint32_t regions_at = static_cast<uint32_t>(8 + 4 * sets.size());
  out.u16(1).u32(regions_at).u16(static_cast<uint16_t>(sets.size()));
  uint32_t set_at = regions_at + static_cast<uint32_t>(regions.bytes().size());
  for (const Bytes& set : sets) {
    out.u32(set_at);
    set_at += static_cast<uint32_t>(set.size());
  }
  out.append(regions.bytes());
  for (const Bytes& set : sets)
    out.append(set);
  return out.bytes();
}

Bytes cff2_table(const Cff2Params& params) {
  const size_t top_size = top_dict(params, {}).size();
  const Bytes header = {2, 0, 5, static_cast<uint8_t>(top_size >> 8),
                        static_cast<uint8_t>(top_size)};
  const Bytes globals = cff2_index(params.global_subrs);
  const Bytes charstrings = cff2_index(params.charstrings);
  Layout at;
  size_t offset = header.size() + top_size + globals.size();
  at.charstrings = static_cast<int32_t>(offset);
  offset += charstrings.size();
  Bytes tail;
  if (!params.variation_store.empty()) {
    at.vstore = static_cast<int32_t>(offset);
    const auto length = params.variation_store_length.value_or(
        static_cast<uint16_t>(params.variation_store.size()));
    tail = concat({Bytes{static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)},
                   params.variation_store});
  }
  // The Private DICTs and their subroutines, the FDArray pointing at them, then FDSelect.
  std::vector<Bytes> font_dicts;
  for (const Cff2FontDict& font_dict : params.font_dicts) {
    const Bytes dict = private_dict(font_dict);
    font_dicts.push_back(
        concat({dict_int(static_cast<int32_t>(dict.size())),
                with_operator(dict_int(static_cast<int32_t>(offset + tail.size())), {18})}));
    tail = concat({tail, dict});
    if (!font_dict.local_subrs.empty())
      tail = concat({tail, cff2_index(font_dict.local_subrs)});
  }
  at.fd_array = static_cast<int32_t>(offset + tail.size());
  tail = concat({tail, cff2_index(font_dicts)});
  if (!params.fd_select.empty()) {
    at.fd_select = static_cast<int32_t>(offset + tail.size());
    tail = concat({tail, fd_select_data(params)});
  }
  return concat({header, top_dict(params, at), globals, charstrings, tail});
}

Bytes build_cff2_font(const FontParams& sfnt, const Cff2Params& cff2) {
  FontParams params = sfnt;
  params.omit_tables.push_back("glyf");
  params.omit_tables.push_back("loca");
  params.extra_tables.push_back({"CFF2", cff2_table(cff2)});
  return sfnt_file(font_tables(params), 0x4F54544F);
}

} // namespace testfont
