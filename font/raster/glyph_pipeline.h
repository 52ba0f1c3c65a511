// The way every font format turns one glyph into a bitmap: the format draws the glyph's
// outline into storage the font handle keeps, and the pipeline pays for the drawing,
// decides whether the glyph is refused, blank or drawn, then rasterizes or measures the
// outline. Afterwards, storage a large glyph left behind is given back.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/glyph_bitmap.h"
#include "font/glyph_budget.h"
#include "font/raster/outline.h"
#include "font/raster/rasterizer.h"

// What an outline source reports after drawing a glyph into a fresh outline.
struct OutlineDrawing {
  double advance = 0.0;     // pen advance in pixels, given to the bitmap whatever follows
  uint64_t work = 0;        // budget units the drawing cost, paid before anything else
  bool past_limits = false; // stopped at a per-glyph limit: a large glyph, refused
  bool drawn = false;       // false: malformed or nothing to draw, a blank bitmap
};

// Storage for the outline source that needs none.
struct NoSourceScratch {};
inline size_t held_bytes(const NoSourceScratch&) {
  return 0;
}

// Storage one font handle reuses for every glyph: the outline, the rasterizer's, and the
// outline source's own `source`. When a glyph leaves all of it holding more than
// kMaxKeptScratchBytes, all of it is given back after that glyph.
template <typename SourceScratch = NoSourceScratch> struct GlyphScratch {
  OutlineBuilder outline;
  RasterScratch raster;
  SourceScratch source;
};

enum class GlyphOutput {
  kPixels, // the coverage bitmap
  kBox,    // its frame and advance only, paid for exactly as kPixels pays
};

// Empties `outline`, keeping the storage of its edges.
void restart_outline(OutlineBuilder& outline);

// A bitmap without ink that advances the pen by `advance`.
GlyphBitmap empty_bitmap(double advance);

// Everything after the drawing: the outline is complete here. Pays `drawing.work`; a glyph
// the budget cannot pay for or past its limits comes back empty (the latter with the
// budget refused), so does one not drawn; else the outline rasterized or measured.
GlyphBitmap finish_glyph(const OutlineBuilder& outline, const OutlineDrawing& drawing,
                         GlyphOutput output, RasterScratch& raster, GlyphBudget& budget);

// True when the storage held adds up to more than kMaxKeptScratchBytes.
bool holds_too_much(const OutlineBuilder& outline, const RasterScratch& raster,
                    size_t source_bytes);

// One glyph through the pipeline. `draw(OutlineBuilder&, SourceScratch&)` draws the glyph
// into the restarted outline and returns its OutlineDrawing.
template <typename SourceScratch, typename Draw>
GlyphBitmap run_glyph_pipeline(GlyphScratch<SourceScratch>& scratch, GlyphOutput output,
                               GlyphBudget& budget, Draw draw) {
  // Trims after the glyph, also when rasterizing failed to allocate and unwinds.
  struct Trimmer {
    GlyphScratch<SourceScratch>& scratch;
    ~Trimmer() {
      if (holds_too_much(scratch.outline, scratch.raster, held_bytes(scratch.source)))
        scratch = GlyphScratch<SourceScratch>();
    }
  };
  const Trimmer trimmer{scratch};
  restart_outline(scratch.outline);
  const OutlineDrawing drawing = draw(scratch.outline, scratch.source);
  return finish_glyph(scratch.outline, drawing, output, scratch.raster, budget);
}
