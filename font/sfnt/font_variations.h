// The design space of a variable sfnt font and the instance drawn: the axes and named
// instances of fvar, the axis maps of avar (version 1), and the deltas of HVAR (advances)
// and MVAR (ascent, descent, line gap). Outline deltas belong to the outline format (gvar
// for glyf: font/sfnt/glyph_variations.h). A font whose fvar is missing or unusable has no
// axes and draws as a static font; a broken avar, HVAR or MVAR is ignored on its own.
#pragma once
#include <stdint.h>

#include "containers/unordered_map.h"
#include "containers/vector.h"
#include "font/sfnt/item_variation_store.h"
#include "font/sfnt/sfnt.h"

struct VariationAxis {
  uint32_t tag = 0;
  double minimum = 0.0; // user-space values, minimum <= default_value <= maximum
  double default_value = 0.0;
  double maximum = 0.0;
  uint16_t name_id = 0;
};

struct NamedInstance {
  uint16_t subfamily_name_id = 0;
  uint32_t first_coordinate = 0; // its user-space values in `instance_coordinates`
};

struct FontVariations {
  dv::vector<VariationAxis> axes; // empty: the font has no variations
  dv::vector<NamedInstance> instances;
  dv::vector<double> instance_coordinates; // axes.size per instance
  // avar: per axis the range of its (from, to) pairs in `avar_pairs`, empty without avar.
  dv::vector<uint32_t> avar_first;
  dv::vector<uint32_t> avar_count;
  dv::vector<double> avar_pairs;
  ItemVariationStore hvar_store;
  uint64_t hvar_advance_map = 0; // absolute; 0: items are glyph indices
  ItemVariationStore mvar_store;
  uint64_t mvar_records = 0; // absolute offset of the value records
  uint16_t mvar_record_count = 0;
  uint16_t mvar_record_size = 0;

  // The instance drawn: normalized coordinates, one per axis, and what they change.
  dv::vector<double> coordinates;
  bool at_default = true; // every coordinate 0: nothing varies
  double ascent_delta = 0.0;
  double descent_delta = 0.0; // of the hhea descender as stored (negative below)
  double line_gap_delta = 0.0;
};

// Reads fvar, avar, HVAR and MVAR from `tables` (directory entries already proven to lie
// inside `data`); leaves `variations` without axes when the font has no usable fvar.
void read_font_variations(ByteView data, const dv::unordered_map<unsigned int, TableRecord>& tables,
                          FontVariations& variations);

// The normalized coordinate of user value `value` on axis `axis` (clamped to its range,
// then through avar), rounded to F2Dot14 as the tables store coordinates.
double normalize_coordinate(const FontVariations& variations, uint32_t axis, double value);

// Makes the instance at user values `values` (one per axis, clamped) the one drawn.
void select_instance(ByteView data, FontVariations& variations, const double* values);

// The HVAR delta of glyph `glyph`'s advance at the current instance, rounded to whole font
// units; false when the font has no HVAR (the outline format's own deltas apply then).
bool hvar_advance_delta(ByteView data, const FontVariations& variations, uint16_t glyph,
                        double& delta, uint64_t& work);
