// Runs one decrypted Type 1 charstring (and the subroutines it calls) into a flattened
// outline in pixels. Only the straight-line operators are supported: curves and the
// remaining operators make execution fail.
#pragma once

#include "font/raster/outline.h"
#include "font/type1/font.h"

class Type1Interpreter {
public:
  // The deepest subroutine level a glyph may reach; the glyph itself runs at level 0.
  static constexpr int kMaxNesting = 16;
  // Bytes a glyph may interpret in all, across every subroutine call. Nested calls can
  // otherwise repeat work exponentially.
  static constexpr unsigned long kWorkLimit = 1 << 20;

  Type1Interpreter(const Type1Font* font, double scale) : font_(font), scale_(scale) {}

  bool execute(const ByteVector& charstring, int level);

  const OutlineBuilder& outline() const { return outline_; }
  double advance() const { return advance_; }
  // Charstring bytes run so far, across every subroutine (at most kWorkLimit + 1).
  unsigned long steps() const { return work_; }

private:
  enum class Step { kContinue, kDone, kFail };

  bool push_number(const ByteVector& charstring, unsigned long& position);
  Step run_operator(unsigned char op, int level);
  Step run_escape(unsigned char op);
  Step call_subroutine(int level);
  bool has_operands(unsigned long count) const { return stack_.size >= count; }
  double top(unsigned long depth = 0) const { return stack_.data[stack_.size - 1 - depth]; }

  void close_path();
  void move_to_current();
  void line_to_current();
  Point scaled(const Point& p) const { return Point{p.x * scale_, p.y * scale_}; }

  const Type1Font* font_;
  double scale_;
  dv::vector<double> stack_;
  OutlineBuilder outline_;
  Point current_{0, 0};
  Point contour_start_{0, 0};
  double advance_ = 0;
  bool contour_open_ = false;
  bool returned_ = false;
  bool ended_ = false;
  unsigned long work_ = 0;
};
