// Runs one decrypted Type 1 charstring (and the subroutines it calls) into a flattened
// outline in pixels. In the straight-line mode only the straight-line operators are
// supported: curves and the remaining operators make execution fail. In the complete mode
// (a font loaded with Type1Mode::kComplete) every operator of the format runs: curves,
// flex and hint replacement through the standard OtherSubrs 0-3, seac and div.
#pragma once

#include "font/glyph_limits.h"
#include "font/raster/outline.h"
#include "font/type1/font.h"

class Type1Interpreter {
public:
  // Draws into an outline of the interpreter's own.
  Type1Interpreter(const Type1Font* font, double scale)
      : Type1Interpreter(font, scale, own_outline_) {}
  // Draws into `outline`, which holds nothing yet.
  Type1Interpreter(const Type1Font* font, double scale, OutlineBuilder& outline)
      : font_(font), scale_(scale), outline_(outline),
        complete_(font->mode == Type1Mode::kComplete) {}
  Type1Interpreter(const Type1Interpreter&) = delete;
  Type1Interpreter& operator=(const Type1Interpreter&) = delete;

  bool execute(ByteView charstring, int level);

  const OutlineBuilder& outline() const { return outline_; }
  OutlineBuilder& outline() { return outline_; }
  double advance() const { return advance_; }
  // Work done so far, across every subroutine: charstring bytes run and curve edges made
  // (at most kMaxType1Work + 2048, a flex's two curves past the limit).
  unsigned long steps() const { return work_; }
  // Whether execution stopped at the work or edge limit of font/glyph_limits.h: a large
  // glyph, not a broken one (subroutines nested beyond kMaxType1SubroutineDepth are).
  bool past_limits() const { return work_ > kMaxType1Work || outline_.overflowed; }

private:
  enum class Step { kContinue, kDone, kFail };

  // The points of a flex: othersubr 1 starts collecting, othersubr 2 adds the current
  // point, othersubr 0 draws the two curves through points 1-6 (point 0 is a reference
  // point that is not drawn).
  struct Flex {
    static constexpr int kPoints = 7;
    bool active = false;
    int count = 0;
    Point start{0, 0}; // the pen when the flex began: where the first curve starts
    Point points[kPoints];
  };

  bool push_number(ByteView charstring, unsigned long& position);
  Step run_operator(unsigned char op, int level);
  Step run_escape(unsigned char op);
  Step call_subroutine(int level);
  bool has_operands(unsigned long count) const { return stack_.size >= count; }
  double top(unsigned long depth = 0) const { return stack_.data[stack_.size - 1 - depth]; }

  void close_path();
  void move_to_current();
  void line_to_current();
  Point scaled(const Point& p) const { return Point{p.x * scale_, p.y * scale_}; }

  // The complete mode (font/type1/interpreter_complete.cpp).
  Step run_complete_operator(unsigned char op, int level);
  Step run_complete_escape(unsigned char op);
  Step move_by(double dx, double dy);
  Step line_by(double dx, double dy);
  Step curve_by(double dx1, double dy1, double dx2, double dy2, double dx3, double dy3);
  Step curve_to(const Point& c1, const Point& c2, const Point& end);
  void set_side_bearing(double sbx, double sby, double width);
  Step call_other_subroutine();
  Step run_other_subroutine(long number, unsigned long first_argument, unsigned long count);
  Step end_flex();
  Step pop_result();
  Step set_current_point();
  Step divide();
  Step compose_accented();
  bool run_component(ByteView charstring, const Point& origin);
  void begin_contour();

  OutlineBuilder own_outline_; // unused when the caller gives the outline
  const Type1Font* font_;
  double scale_;
  dv::vector<double> stack_;
  OutlineBuilder& outline_;
  Point current_{0, 0};
  Point contour_start_{0, 0};
  double advance_ = 0;
  bool contour_open_ = false;
  bool returned_ = false;
  bool ended_ = false;
  unsigned long work_ = 0;

  // Complete mode only.
  bool complete_;
  Point origin_{0, 0};         // where the charstring being run is placed (seac's accent)
  double side_bearing_x_ = 0;  // the last hsbw/sbw side-bearing x, font units
  dv::vector<double> results_; // what callothersubr left for pop, the next one last
  Flex flex_;
  bool in_component_ = false; // running the base or accent of a seac (seac does not nest)
};
