#include "support/variation_builder.h"

#include <cmath>

namespace testfont {

namespace {

uint16_t f2dot14(double value) {
  return static_cast<uint16_t>(static_cast<int16_t>(std::lround(value * 16384.0)));
}

uint32_t fixed(double value) {
  return static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536.0)));
}

// Point numbers, all as words in runs of at most 128.
void packed_points(ByteWriter& out, const std::vector<uint16_t>& points) {
  if (points.empty()) {
    out.u8(0);
    return;
  }
  const size_t count = points.size();
  if (count < 128)
    out.u8(static_cast<uint8_t>(count));
  else
    out.u8(static_cast<uint8_t>(0x80 | count >> 8)).u8(static_cast<uint8_t>(count));
  uint16_t previous = 0;
  for (size_t i = 0; i < count; i += 128) {
    const size_t run = std::min<size_t>(128, count - i);
    out.u8(static_cast<uint8_t>(0x80 | (run - 1)));
    for (size_t j = i; j < i + run; ++j) {
      out.u16(static_cast<uint16_t>(points[j] - previous));
      previous = points[j];
    }
  }
}

// Deltas as words in runs of at most 64.
void packed_deltas(ByteWriter& out, const std::vector<int16_t>& deltas) {
  for (size_t i = 0; i < deltas.size(); i += 64) {
    const size_t run = std::min<size_t>(64, deltas.size() - i);
    out.u8(static_cast<uint8_t>(0x40 | (run - 1)));
    for (size_t j = i; j < i + run; ++j)
      out.u16(static_cast<uint16_t>(deltas[j]));
  }
}

Bytes glyph_variation_data(const std::vector<Tuple>& tuples) {
  ByteWriter headers;
  ByteWriter data;
  for (const Tuple& t : tuples) {
    ByteWriter serialized;
    packed_points(serialized, t.points);
    packed_deltas(serialized, t.dx);
    packed_deltas(serialized, t.dy);
    const bool intermediate = !t.start.empty();
    const uint16_t index = 0x8000 | 0x2000 | (intermediate ? 0x4000 : 0);
    headers.u16(static_cast<uint16_t>(serialized.bytes().size())).u16(index);
    for (double v : t.peak)
      headers.u16(f2dot14(v));
    if (intermediate) {
      for (double v : t.start)
        headers.u16(f2dot14(v));
      for (double v : t.end)
        headers.u16(f2dot14(v));
    }
    data.append(serialized.bytes());
  }
  ByteWriter out;
  out.u16(static_cast<uint16_t>(tuples.size()));
  out.u16(static_cast<uint16_t>(4 + headers.bytes().size()));
  out.append(headers.bytes()).append(data.bytes());
  return out.pad_to(2).bytes();
}

} // namespace

Bytes fvar_table(const std::vector<Axis>& axes, const std::vector<Instance>& instances) {
  ByteWriter out;
  const uint16_t instance_size = static_cast<uint16_t>(4 + 4 * axes.size());
  out.u16(1).u16(0).u16(16).u16(2).u16(static_cast<uint16_t>(axes.size())).u16(20);
  out.u16(static_cast<uint16_t>(instances.size())).u16(instance_size);
  for (size_t i = 0; i < axes.size(); ++i) {
    out.tag(axes[i].tag).u32(fixed(axes[i].minimum)).u32(fixed(axes[i].default_value));
    out.u32(fixed(axes[i].maximum)).u16(0).u16(static_cast<uint16_t>(256 + i));
  }
  for (const Instance& instance : instances) {
    out.u16(instance.subfamily_name_id).u16(0);
    for (double v : instance.values)
      out.u32(fixed(v));
  }
  return out.bytes();
}

Bytes avar_table(const std::vector<std::vector<std::pair<double, double>>>& maps) {
  ByteWriter out;
  out.u16(1).u16(0).u16(0).u16(static_cast<uint16_t>(maps.size()));
  for (const auto& map : maps) {
    out.u16(static_cast<uint16_t>(map.size()));
    for (const auto& [from, to] : map)
      out.u16(f2dot14(from)).u16(f2dot14(to));
  }
  return out.bytes();
}

Bytes gvar_table(uint16_t axis_count, uint16_t glyph_count,
                 const std::map<uint16_t, std::vector<Tuple>>& glyph_tuples) {
  ByteWriter data;
  std::vector<uint32_t> offsets;
  for (uint16_t g = 0; g < glyph_count; ++g) {
    offsets.push_back(static_cast<uint32_t>(data.bytes().size()));
    const auto found = glyph_tuples.find(g);
    if (found != glyph_tuples.end())
      data.append(glyph_variation_data(found->second));
  }
  offsets.push_back(static_cast<uint32_t>(data.bytes().size()));
  ByteWriter out;
  const uint32_t data_start = 20 + 4 * (glyph_count + 1u);
  out.u16(1).u16(0).u16(axis_count).u16(0).u32(data_start).u16(glyph_count).u16(1);
  out.u32(data_start);
  for (uint32_t offset : offsets)
    out.u32(offset);
  return out.append(data.bytes()).bytes();
}

Bytes item_variation_store(const std::vector<std::vector<double>>& peaks,
                           const std::vector<std::vector<int16_t>>& rows) {
  const size_t axes = peaks.empty() ? 0 : peaks[0].size();
  ByteWriter regions;
  regions.u16(static_cast<uint16_t>(axes)).u16(static_cast<uint16_t>(peaks.size()));
  for (const auto& peak : peaks) {
    for (double p : peak)
      regions.u16(f2dot14(std::min(0.0, p))).u16(f2dot14(p)).u16(f2dot14(std::max(0.0, p)));
  }
  ByteWriter set;
  set.u16(static_cast<uint16_t>(rows.size())).u16(static_cast<uint16_t>(peaks.size()));
  set.u16(static_cast<uint16_t>(peaks.size()));
  for (size_t r = 0; r < peaks.size(); ++r)
    set.u16(static_cast<uint16_t>(r));
  for (const auto& row : rows) {
    for (int16_t delta : row)
      set.u16(static_cast<uint16_t>(delta));
  }
  ByteWriter out;
  const uint32_t regions_at = 12;
  out.u16(1).u32(regions_at).u16(1).u32(regions_at + static_cast<uint32_t>(regions.bytes().size()));
  return out.append(regions.bytes()).append(set.bytes()).bytes();
}

Bytes hvar_table(const std::vector<std::vector<double>>& peaks,
                 const std::vector<std::vector<int16_t>>& glyph_rows) {
  ByteWriter out;
  out.u16(1).u16(0).u32(20).u32(0).u32(0).u32(0);
  return out.append(item_variation_store(peaks, glyph_rows)).bytes();
}

Bytes mvar_table(const std::vector<std::vector<double>>& peaks,
                 const std::vector<std::pair<std::string, std::vector<int16_t>>>& values) {
  std::vector<std::vector<int16_t>> rows;
  ByteWriter out;
  const uint16_t store_at = static_cast<uint16_t>(12 + 8 * values.size());
  out.u16(1).u16(0).u16(0).u16(8).u16(static_cast<uint16_t>(values.size())).u16(store_at);
  for (size_t i = 0; i < values.size(); ++i) {
    out.tag(values[i].first).u16(0).u16(static_cast<uint16_t>(i));
    rows.push_back(values[i].second);
  }
  return out.append(item_variation_store(peaks, rows)).bytes();
}

} // namespace testfont
