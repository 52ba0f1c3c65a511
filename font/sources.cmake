# The fonts, by stage: each subdirectory's files in a list of its own, the lists in the
# order of the paths (the link order of the artifacts). A new subdirectory gets its own
# dv_sources call at its place in that order.
dv_sources(DV_LIBRARY_SOURCES font/cff
  backend.cpp
  charstring.cpp
  dict.cpp
  font.cpp
  glyph_bitmap.cpp
  index.cpp
  standard_encoding.cpp
)
dv_sources(DV_LIBRARY_SOURCES font
  backend.cpp
  entry_points.cpp
  loader.cpp
  variation_entry_points.cpp
  variation_settings.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/hinting
  blue_zones.cpp
  grid_fitting.cpp
  horizontal_edges.cpp
  light_hinting.cpp
  vertical_warp.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/raster
  crossing_count.cpp
  crossing_sort.cpp
  curve_flattening.cpp
  glyph_pipeline.cpp
  outline.cpp
  rasterizer.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/sfnt
  cmap.cpp
  collection.cpp
  extended_cmap.cpp
  font_variations.cpp
  glyph_variations.cpp
  item_variation_store.cpp
  kerning.cpp
  mac_central_european.cpp
  mac_cyrillic.cpp
  mac_roman.cpp
  sfnt_font.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/text
  canvas.cpp
  caret_positions.cpp
  fallback_list.cpp
  font_chain.cpp
  image.cpp
  laid_out_render.cpp
  layout.cpp
  line_breaking.cpp
  paragraph_layout.cpp
  pixel_rounding.cpp
  render.cpp
  surface_draw.cpp
  utf8.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/truetype
  backend.cpp
  font.cpp
  glyph_bitmap.cpp
  outline.cpp
)
dv_sources(DV_LIBRARY_SOURCES font/type1
  backend.cpp
  eexec.cpp
  glyph.cpp
  glyph_name_table.cpp
  glyph_names.cpp
  interpreter.cpp
  interpreter_complete.cpp
  load.cpp
  standard_encoding.cpp
  token_scan.cpp
  unicode_names.cpp
)
