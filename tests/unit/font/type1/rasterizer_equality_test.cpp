// Straight-line glyphs of the URW Type 1 fonts through the glyph rasterizer and through the
// reference rasterizer: byte for byte the same bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "font/raster/rasterizer.h"
#include "font/type1/glyph.h"
#include "font/type1/interpreter.h"
#include "unit/font/raster/reference_rasterizer.h"

namespace fs = std::filesystem;

namespace {

const char* const kPfbDirectory = "/usr/share/fonts/X11/Type1";

std::vector<fs::path> pfb_files() {
  std::vector<fs::path> files;
  if (!fs::is_directory(kPfbDirectory))
    return files;
  for (const auto& entry : fs::directory_iterator(kPfbDirectory))
    if (entry.path().extension() == ".pfb")
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(Type1RasterizerEquality, StraightLineGlyphsMatchTheReference) {
  const std::vector<fs::path> files = pfb_files();
  if (files.empty())
    GTEST_SKIP() << "fonts-urw-base35 is not installed (tools/install-deps.sh installs it)";
  int compared = 0;
  for (const fs::path& path : files) {
    const std::vector<uint8_t> bytes = read_file(path);
    Type1Font font;
    ASSERT_TRUE(load_type1_font(font, ByteVector(bytes.data(), bytes.data() + bytes.size())));
    for (const double pixel_size : {12.0, 96.0}) {
      const double scale = pixel_size / 1000.0;
      const auto& entries = font.charstrings.entries;
      for (unsigned long i = 0; i < entries.size; ++i) {
        Type1Interpreter interpreter(&font, scale);
        if (!interpreter.execute(entries.data[i].second, 0))
          continue; // curves, hint replacement, seac or div: drawn blank
        ++compared;
        EXPECT_EQ(difference_from_reference(rasterize_outline(interpreter.outline(), 0),
                                            reference_rasterize(interpreter.outline())),
                  "")
            << path << " /" << std::string(entries.data[i].first.data, entries.data[i].first.size)
            << " at " << pixel_size << " px";
      }
    }
  }
  EXPECT_GT(compared, 200);
  RecordProperty("straight_line_glyphs_compared", compared);
}
