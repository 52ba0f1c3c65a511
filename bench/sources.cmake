# The benchmarks (built with DV_BENCH).
dv_sources(DV_BENCH_SOURCES bench
  allocation_counter.cpp
  bench_main.cpp
  cache_fill_benchmarks.cpp
  cache_memory_benchmarks.cpp
  cff_benchmarks.cpp
  fonts.cpp
  glyph_benchmarks.cpp
  glyph_canvas.cpp
  hostile_glyph_benchmarks.cpp
  load_benchmarks.cpp
  long_row_benchmarks.cpp
  paragraph.cpp
  ratio_reporter.cpp
  render_benchmarks.cpp
  surface_draw_benchmarks.cpp
)

# The crispness measure of hinting (dvttf_crispness, built with DV_BENCH).
dv_sources(DV_CRISPNESS_SOURCES bench
  hinting_crispness.cpp
)
