# The libFuzzer harnesses, each NAME_fuzzer.cpp built as the fuzzer NAME_fuzzer
# (tools/run_fuzzers.sh runs every one), and the program that writes their seed corpus.
dv_sources(DV_FUZZER_SOURCES fuzz
  cff_fuzzer.cpp
  format_fuzzer.cpp
  kerning_fuzzer.cpp
  layout_fuzzer.cpp
  macho_loader_fuzzer.cpp
  math_fuzzer.cpp
  number_parse_fuzzer.cpp
  render_fuzzer.cpp
  truetype_glyph_fuzzer.cpp
  truetype_load_fuzzer.cpp
  type1_fuzzer.cpp
  variation_fuzzer.cpp
)
dv_sources(DV_FUZZ_SETUP_SOURCES fuzz/support fuzz_heap.cpp stand_in_setup.cpp)
dv_sources(DV_FUZZ_SEED_SOURCES fuzz/support make_seed_corpus.cpp)
