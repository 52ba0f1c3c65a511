// The gvar table: per glyph, tuples of point deltas that move a glyf outline (and its four
// phantom points: origin, advance, top, bottom) toward other instances. Each tuple applies
// with the weight of its peak (and intermediate region) at the normalized coordinates;
// points a tuple does not list are inferred from their neighbours on the contour (IUP).
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/sfnt/sfnt.h"

struct GlyphVariationTable {
  uint64_t offset = 0; // absolute
  uint64_t end = 0;    // absolute end of the table
  uint16_t axis_count = 0;
  uint16_t shared_tuple_count = 0;
  uint64_t shared_tuples = 0; // absolute
  uint16_t glyph_count = 0;
  bool long_offsets = false;
  uint64_t data_array = 0; // absolute
  bool present = false;
};

// Reads the gvar header of a font with `axis_count` axes; false (not present) when it is
// missing, of another axis count, or its offsets do not fit.
bool read_glyph_variation_table(ByteView data, const TableRecord& gvar, uint32_t axis_count,
                                GlyphVariationTable& table);

// The points of one glyph as gvar numbers them: `outline_points` points on contours ending
// at `end_points` (none for a composite), then the rest (a composite's components, then
// the four phantom points) up to `count`.
struct GlyphPointSet {
  uint32_t count = 0;
  uint32_t outline_points = 0;
  const short* xs = nullptr; // original coordinates of the outline points
  const short* ys = nullptr;
  const unsigned short* end_points = nullptr;
  uint32_t contour_count = 0;
};

// Storage reused from one glyph to the next.
struct GlyphDeltaScratch {
  dv::vector<unsigned short> shared_points;
  dv::vector<unsigned short> private_points;
  dv::vector<double> tuple_dx;
  dv::vector<double> tuple_dy;
  dv::vector<unsigned char> touched;
  dv::vector<double> read_x; // one tuple's deltas as stored
  dv::vector<double> read_y;
};

// The bytes `scratch` holds.
size_t held_bytes(const GlyphDeltaScratch& scratch);

// Adds glyph `glyph`'s deltas at `coordinates` to `dx` and `dy` (`points.count` each).
// `deltas` counts the deltas read and inferred; a glyph reaching `most_deltas` stops there
// with false, as does malformed data (the caller then drops what was added).
bool add_glyph_deltas(ByteView data, const GlyphVariationTable& table, uint16_t glyph,
                      const double* coordinates, const GlyphPointSet& points,
                      GlyphDeltaScratch& scratch, double* dx, double* dy, uint64_t& deltas,
                      uint64_t most_deltas);
