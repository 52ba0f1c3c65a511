// What the interpreter tests share: charstring bytes for the library, an outline's edges
// as plain values to compare, subroutines placed in a font, and a charstring run.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "font/raster/outline.h"
#include "font/type1/font.h"
#include "font/type1/interpreter.h"
#include "support/type1_builder.h"

namespace type1test {

inline ByteVector to_dv(const testfont::Bytes& bytes) {
  return ByteVector(bytes.data(), bytes.data() + bytes.size());
}

struct Edge {
  double x0, y0, x1, y1;
  bool operator==(const Edge&) const = default;
};

inline std::vector<Edge> edges(const OutlineBuilder& outline) {
  std::vector<Edge> out;
  for (unsigned long i = 0; i < outline.segments.size; ++i) {
    const auto& s = outline.segments.data[i];
    out.push_back({s.p0.x, s.p0.y, s.p1.x, s.p1.y});
  }
  return out;
}

// A hand-made font's programs and names, kept for as long as the test program runs (a
// loaded font keeps them in buffers of its own; the views only point to them).
inline ByteView kept(const testfont::Bytes& bytes) {
  static std::deque<testfont::Bytes> programs;
  programs.push_back(bytes);
  return ByteView(programs.back().data(), programs.back().size());
}

inline dv::string_view kept_name(const char* name) {
  static std::deque<std::string> names;
  names.push_back(name);
  return dv::string_view(names.back().data(), names.back().size());
}

inline void add_subr(Type1Font& font, unsigned long index, const testfont::Bytes& body) {
  if (font.subrs.size <= index)
    font.subrs.resize(index + 1);
  font.subrs.data[index] = kept(body);
}

inline void add_charstring(Type1Font& font, const char* name, const testfont::Bytes& body) {
  font.charstrings[kept_name(name)] = kept(body);
}

// What one charstring run gives: whether it ran to the end, its edges, advance and outline.
struct Outcome {
  bool ok;
  std::vector<Edge> edges;
  double advance;
  OutlineBuilder outline;
};

inline Outcome run(const testfont::Bytes& charstring, const Type1Font& font, double scale = 1.0) {
  Type1Interpreter interpreter(&font, scale);
  const bool ok = interpreter.execute(to_dv(charstring), 0);
  return {ok, edges(interpreter.outline()), interpreter.advance(), interpreter.outline()};
}

} // namespace type1test
