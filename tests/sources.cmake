# The tests' sources, one list per test program. A test file is compiled only when it is
# listed here.

# Font builders and references the tests, the fuzzers' seed corpus and the benchmarks share.
dv_sources(DV_TEST_SUPPORT_SOURCES tests/support
  cff2_builder.cpp
  cff_builder.cpp
  gpos_builder.cpp
  hostile_glyphs.cpp
  macho_builder.cpp
  sfnt_builder.cpp
  star_glyphs.cpp
  surface_oracle.cpp
  text_image_reference.cpp
  type1_builder.cpp
  variation_builder.cpp
)

# The fontTools generators of tests/support/fonttools/ (cmake/DvFontToolsFixtures.cmake),
# run at build time into the build directory for the tests that compare against them.
set(DV_FONTTOOLS_GENERATORS
  cff2_fonts
  character_map_fonts
  variable_fonts
)

# unit_tests: dvcore linked directly.
dv_sources(DV_UNIT_TEST_SOURCES tests/unit
  abi/exception_table_test.cpp
  abi/jumps_test.cpp
  abi/language_support_test.cpp
  abi/table_cursor_test.cpp
  abi/type_matching_test.cpp
  containers/hash_test.cpp
  containers/map_test.cpp
  containers/string_test.cpp
  containers/vector_test.cpp
  dvfs/hostile_calls_test.cpp
  dvfs/stream_buffer_test.cpp
  font/cff/cff2_charstring_test.cpp
  font/cff/cff2_freetype_test.cpp
  font/cff/cff2_instancer_test.cpp
  font/cff/cff2_load_test.cpp
  font/cff/charstring_test.cpp
  font/cff/freetype_comparison_test.cpp
  font/cff/load_test.cpp
  font/borrowed_bytes_test.cpp
  font/extended_loader_test.cpp
  font/fake_font_backend.cpp
  font/font_api_test.cpp
  font/font_file_test.cpp
  font/freetype_peer.cpp
  font/hinting/light_hinting_test.cpp
  font/raster/curve_flattening_test.cpp
  font/raster/glyph_pipeline_test.cpp
  font/raster/measure_outline_test.cpp
  font/raster/outline_test.cpp
  font/raster/rasterizer_test.cpp
  font/raster/reference_rasterizer.cpp
  font/sfnt/cmap_test.cpp
  font/sfnt/extended_cmap_fonttools_test.cpp
  font/sfnt/extended_cmap_test.cpp
  font/sfnt/kerning_real_fonts_test.cpp
  font/sfnt/kerning_reference.cpp
  font/sfnt/kerning_test.cpp
  font/sfnt/sfnt_test.cpp
  font/sfnt/variation_test.cpp
  font/text/canvas_test.cpp
  font/text/fallback_chain_test.cpp
  font/text/paragraph_layout_test.cpp
  font/text/pixel_rounding_test.cpp
  font/text/render_refusal_test.cpp
  font/text/render_test.cpp
  font/text/surface_draw_test.cpp
  font/text/utf8_test.cpp
  font/truetype/freetype_comparison_test.cpp
  font/truetype/glyph_bitmap_test.cpp
  font/truetype/glyph_robustness_test.cpp
  font/truetype/load_test.cpp
  font/truetype/outline_test.cpp
  font/truetype/rasterizer_equality_test.cpp
  font/truetype/real_fonts_test.cpp
  font/truetype/star_glyph_test.cpp
  font/truetype/variation_freetype_test.cpp
  font/truetype/variation_instancer_test.cpp
  font/type1/complete_interpreter_test.cpp
  font/type1/complete_mode_freetype_test.cpp
  font/type1/complete_naming_test.cpp
  font/type1/glyph_names_test.cpp
  font/type1/glyph_test.cpp
  font/type1/interpreter_test.cpp
  font/type1/load_test.cpp
  font/type1/real_font_test.cpp
  runtime/console_line_test.cpp
  runtime/ctype_test.cpp
  runtime/errno_test.cpp
  runtime/error_format_test.cpp
  runtime/format_test.cpp
  runtime/int64_test.cpp
  runtime/math_classify_test.cpp
  runtime/math_functions_test.cpp
  runtime/math_rounding_test.cpp
  runtime/memory_test.cpp
  runtime/number_parse_test.cpp
  runtime/probe_heap_test.cpp
  runtime/program_api_test.cpp
  runtime/services_test.cpp
  runtime/string_test.cpp
  stand_in_environment.cpp
)

# host_tests: the stand-in.
dv_sources(DV_HOST_TEST_SOURCES tests/host
  boot_page_test.cpp
  console_test.cpp
  file_store_test.cpp
  halt_test.cpp
  host_heap_test.cpp
  macho/macho_image_test.cpp
  probe_memory_test.cpp
  stand_in_test.cpp
)

# artifact_tests: the artifacts inside the stand-in.
dv_sources(DV_ARTIFACT_TEST_SOURCES tests/artifact
  allocation_failure_test.cpp
  allocation_test.cpp
  artifact_fixture.cpp
  borrowed_bytes_artifact_test.cpp
  artifact_forms_test.cpp
  backend_dynamic_cast_test.cpp
  cff2_variation_artifact_test.cpp
  containers_exports_test.cpp
  containers_workload_test.cpp
  dvfs_failure_test.cpp
  dvfs_file_operations_test.cpp
  dvfs_fixture.cpp
  dvfs_stream_test.cpp
  example_module_test.cpp
  exception_client_test.cpp
  extended_loader_artifact_test.cpp
  first_use_test.cpp
  font_api_artifact_test.cpp
  font_bytes_once_test.cpp
  font_file_artifact_test.cpp
  formatted_output_test.cpp
  glyph_limits_test.cpp
  heap_pressure_test.cpp
  hostile_campaign_test.cpp
  hostile_fonts.cpp
  hostile_glyph_test.cpp
  int64_exports_test.cpp
  language_support_test.cpp
  lua_console_test.cpp
  math_exports_test.cpp
  measure_allocation_test.cpp
  number_parse_exports_test.cpp
  probe_heap_test.cpp
  program_api_test.cpp
  render_budget_test.cpp
  sjlj_dispatch_test.cpp
  strings_and_services_test.cpp
  surface_draw_artifact_test.cpp
  text_render_artifact_test.cpp
  type1_artifact_test.cpp
  variation_artifact_test.cpp
)

# Programs of one file each.
dv_sources(DV_EXCEPTION_CLIENT_SOURCES tests/client exception_client.cpp)
dv_sources(DV_CONTACT_SHEET_SOURCES tests/contact_sheet glyph_contact_sheet.cpp)
dv_sources(DV_HEADER_CHECK_SOURCES tests/include header_check.cpp module_headers_check.cpp)
dv_sources(DV_INFO_TEST_SOURCES tests/tools dvttf_info_test.cpp)
