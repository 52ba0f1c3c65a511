#include "support/hostile_glyphs.h"

#include "support/sfnt_builder.h"
#include "support/type1_builder.h"

namespace testfont {

namespace {

// ---- TrueType: units per em 128, so 40 px makes 0.3125 px per unit -------------------

constexpr uint16_t kTrueTypeUnitsPerEm = 128;
constexpr int kMostPointsPerGlyph = 65535; // a simple glyph's point count is 16 bits
// The rasterizer takes at most 2^25 crossings and 2^18 edges: bands of 1,022 edges (2 more
// for the huge box), each edge spanning its band's 125 sample rows (100 units, 31.25 px),
// 64 bands to a simple glyph and 4 such glyphs stacked make 261,632 edges crossing sample
// rows 32.7 million times, 8,000 px tall.
constexpr int kEdgesPerBand = 1022;
constexpr int kBandsPerGlyph = 64;
constexpr int kBandUnits = 100;
// 13,075 units = 4,086 px: with the margin a 4,089-pixel square, just below 2^24 pixels.
constexpr int kBoxUnits = 13075;

// A contour per band zigzagging between its bottom and its top, the points scattered
// across 625 px so that the edges cross each other everywhere.
Bytes zigzag_glyph() {
  std::vector<Contour> bands;
  uint32_t x = 1;
  for (int band = 0; band < kBandsPerGlyph; ++band) {
    Contour contour;
    for (int k = 0; k < kEdgesPerBand; ++k) {
      x = (x * 1103515245u + 12345u) & 0x7fffffffu;
      contour.push_back(
          {static_cast<int>(x % 4000), band * kBandUnits + (k % 2 == 0 ? 0 : kBandUnits), true});
    }
    bands.push_back(contour);
  }
  return simple_glyph(bands);
}

// Every point at the same place: decoded, and not one edge.
Bytes pointless_glyph() {
  return simple_glyph({Contour(kMostPointsPerGlyph, GlyphPoint{100, 100, true})});
}

Bytes huge_box_glyph() {
  return simple_glyph({box(0, 0, kBoxUnits, kBoxUnits)});
}

Component component(uint16_t glyph, int dy) {
  Component c;
  c.glyph = glyph;
  c.arg1 = 0;
  c.arg2 = dy;
  return c;
}

// The bands at half their height, so that all four stacks fit inside the huge box.
Component squeezed(uint16_t glyph, int dy) {
  Component c = component(glyph, dy);
  c.matrix = {16384, 8192}; // x 1.0, y 0.5 (F2Dot14)
  return c;
}

// ---- Type 1: 1000 units per em, so 40 px makes 0.04 px per unit ---------------------

constexpr int kLeafEdges = 14;
constexpr int kBandSubroutine = 6; // 2^6 leaves
constexpr int kBands = 292;

// Subroutine 0 draws kLeafEdges edges up and down a 4-pixel band (one-byte operands, so
// each edge costs 3 interpreter steps) and ends where it began; subroutine k calls
// subroutine k - 1 twice. Subroutine 6 draws a band of 896 edges; 292 bands, one above the
// other, make 261,632 edges in about 900,000 steps, within the edge and the step limits.
std::vector<std::pair<int, Bytes>> zigzag_subroutines() {
  Charstring leaf;
  const auto step = [](int k) { return 7 + (k * 37) % 100; };
  for (int k = 0; k < kLeafEdges / 2; ++k) {
    leaf.rlineto(step(k), 107).rlineto(-step((k + 1) % (kLeafEdges / 2)), -107);
  }
  leaf.ret();
  std::vector<std::pair<int, Bytes>> subrs = {{0, leaf.bytes()}};
  for (int k = 1; k <= kBandSubroutine; ++k) {
    subrs.push_back({k, Charstring().callsubr(k - 1).callsubr(k - 1).ret().bytes()});
  }
  return subrs;
}

void draw_zigzag(Charstring& glyph) {
  for (int band = 0; band < kBands; ++band) {
    glyph.rmoveto(0, band == 0 ? 0 : 120).callsubr(kBandSubroutine);
  }
  glyph.closepath();
}

// 102,200 units = 4,088 px square.
void draw_huge_box(Charstring& glyph) {
  constexpr int kSide = 102200;
  glyph.rmoveto(0, 0).rlineto(kSide, 0).rlineto(0, kSide).rlineto(-kSide, 0).closepath();
}

// Subroutine k (from 1) calls subroutine k - 1 twice; subroutine 0 runs 250 hint
// operators, which draw nothing. Subroutine 13 runs more than the 2^20 steps a glyph may
// take, all of them before the glyph is refused.
std::vector<std::pair<int, Bytes>> idle_subroutines() {
  Charstring leaf;
  for (int k = 0; k < 250; ++k) {
    leaf.op(1); // hstem without operands: ignored
  }
  leaf.ret();
  std::vector<std::pair<int, Bytes>> subrs = {{0, leaf.bytes()}};
  for (int k = 1; k <= 13; ++k) {
    subrs.push_back({k, Charstring().callsubr(k - 1).callsubr(k - 1).ret().bytes()});
  }
  return subrs;
}

} // namespace

const char* hostile_shape_name(HostileShape shape) {
  switch (shape) {
  case HostileShape::kMostEdges:
    return "most_edges";
  case HostileShape::kHugeBox:
    return "huge_box";
  case HostileShape::kBoth:
    return "edges_and_box";
  case HostileShape::kNothingDrawn:
    return "nothing_drawn";
  }
  return "?";
}

Bytes hostile_truetype(HostileShape shape) {
  std::vector<Component> components;
  switch (shape) {
  case HostileShape::kMostEdges:
    for (int k = 0; k < 4; ++k) {
      components.push_back(component(1, k * kBandsPerGlyph * kBandUnits));
    }
    break;
  case HostileShape::kBoth:
    for (int k = 0; k < 4; ++k) {
      components.push_back(squeezed(1, k * kBandsPerGlyph * kBandUnits / 2));
    }
    components.push_back(component(2, 0));
    break;
  case HostileShape::kHugeBox:
    components.push_back(component(2, 0));
    break;
  case HostileShape::kNothingDrawn:
    for (int k = 0; k < 4; ++k) {
      components.push_back(component(3, k));
    }
    break;
  }
  FontParams params;
  params.units_per_em = kTrueTypeUnitsPerEm;
  params.ascender = 102;
  params.descender = -26;
  params.line_gap = 0;
  params.index_to_loc_format = 1;
  params.glyphs = {GlyphShape{composite_glyph(components), 64, 0},
                   GlyphShape{zigzag_glyph(), 64, 0}, GlyphShape{huge_box_glyph(), 64, 0},
                   GlyphShape{pointless_glyph(), 64, 0}};
  return build_font(params);
}

Bytes hostile_type1(HostileShape shape) {
  Type1Builder font;
  Charstring glyph;
  glyph.hsbw(0, 500);
  switch (shape) {
  case HostileShape::kMostEdges:
    font.subrs = zigzag_subroutines();
    draw_zigzag(glyph);
    break;
  case HostileShape::kHugeBox:
    draw_huge_box(glyph);
    break;
  case HostileShape::kBoth:
    font.subrs = zigzag_subroutines();
    draw_zigzag(glyph);
    draw_huge_box(glyph);
    break;
  case HostileShape::kNothingDrawn:
    font.subrs = idle_subroutines();
    glyph.callsubr(13);
    break;
  }
  glyph.endchar();
  font.charstrings = {{".notdef", glyph.bytes()}};
  return font.pfb();
}

} // namespace testfont
