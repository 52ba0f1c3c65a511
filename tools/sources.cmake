# The command-line tools, one list per program.

# What the tools share: the command-line parser, the font checks and inspection (dvcore in
# the stand-in), the font's names, where the artifact lies, and the PNG writer.
dv_sources(DV_TOOLS_COMMON_SOURCES tools/common
  artifact_location.cpp
  command_line.cpp
  font_file.cpp
  font_names.cpp
  inspected_font.cpp
  png_writer.cpp
)
dv_sources(DV_RENDER_SOURCES tools/dvttf-render
  main.cpp
  options.cpp
  blank_image.cpp
  refused_render.cpp
  text_codepoints.cpp
)
dv_sources(DV_INFO_SOURCES tools/dvttf-info
  main.cpp
  truetype_facts.cpp
  cff_facts.cpp
  type1_facts.cpp
  type1_complete_facts.cpp
  charstring_scan.cpp
  glyph_sheet.cpp
)
dv_sources(DV_RUN_SOURCES tools/dvttf-run
  main.cpp
  module_imports.cpp
)
