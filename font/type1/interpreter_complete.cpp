// The complete mode of the charstring interpreter: every operator of the Type 1 format.
//
// Paths follow the format: a move only sets the current point, and the next line or curve
// starts its contour there; closepath closes the contour and leaves the current point where
// the path was, so a line after it starts a new contour at that point. The standard
// OtherSubrs are run as their PostScript would: 0-2 flex, 3 hint replacement (its result
// is the subroutine number it was given, called after pop); any other number leaves its
// arguments as results, the last one popped first.
#include "font/raster/curve_flattening.h"
#include "font/type1/charstring_operators.h"
#include "font/type1/interpreter.h"
#include "font/type1/standard_encoding.h"
#include "runtime/math.h"

using namespace type1_op;

namespace {

// The standard OtherSubrs and the number of arguments each takes.
enum OtherSubr : long { kFlexEnd = 0, kFlexStart = 1, kFlexPoint = 2, kHintReplacement = 3 };
constexpr unsigned long kFlexEndArguments = 3; // flex height, end x, end y

// No charstring number lies beyond the int32 range, so neither may a quotient: this keeps
// every coordinate finite.
constexpr double kLargestQuotient = 2147483648.0;

Point offset(const Point& p, double dx, double dy) {
  return Point{p.x + dx, p.y + dy};
}

// A seac character code: an integer 0-255 standing for a name of StandardEncoding.
const char* standard_name_for_operand(double operand) {
  long code = dv::lround(operand);
  if (code < 0 || code > 255)
    return nullptr;
  return standard_encoding_name(static_cast<unsigned int>(code));
}

// The operands a one-byte operator reads (those it does not know need none).
unsigned long operands_of(unsigned char op) {
  switch (op) {
  case kRrcurveto:
    return 6;
  case kVhcurveto:
  case kHvcurveto:
    return 4;
  case kRmoveto:
  case kRlineto:
  case kHsbw:
    return 2;
  case kVmoveto:
  case kHmoveto:
  case kHlineto:
  case kVlineto:
    return 1;
  default:
    return 0;
  }
}

} // namespace

Type1Interpreter::Step Type1Interpreter::run_complete_operator(unsigned char op, int level) {
  if (!has_operands(operands_of(op)))
    return Step::kFail;
  Step step = Step::kContinue;
  switch (op) {
  case kHstem:
  case kVstem:
    break;
  case kVmoveto:
    step = move_by(0, top());
    break;
  case kHmoveto:
    step = move_by(top(), 0);
    break;
  case kRmoveto:
    step = move_by(top(1), top());
    break;
  case kRlineto:
    step = line_by(top(1), top());
    break;
  case kHlineto:
    step = line_by(top(), 0);
    break;
  case kVlineto:
    step = line_by(0, top());
    break;
  case kRrcurveto:
    step = curve_by(top(5), top(4), top(3), top(2), top(1), top());
    break;
  case kVhcurveto:
    step = curve_by(0, top(3), top(2), top(1), top(), 0);
    break;
  case kHvcurveto:
    step = curve_by(top(3), 0, top(2), top(1), 0, top());
    break;
  case kClosepath:
    close_path();
    break;
  case kCallsubr:
    return call_subroutine(level);
  case kReturn:
    returned_ = true;
    break;
  case kHsbw:
    set_side_bearing(top(1), 0, top());
    break;
  case kEndchar:
    close_path();
    ended_ = true;
    break;
  default:
    return Step::kFail;
  }
  if (step == Step::kFail)
    return step;
  stack_.clear();
  return ended_ || returned_ ? Step::kDone : Step::kContinue;
}

// div, callothersubr and pop leave the operands below their own on the stack; the other
// escape operators clear it.
Type1Interpreter::Step Type1Interpreter::run_complete_escape(unsigned char op) {
  switch (op) {
  case kDiv:
    return divide();
  case kCallothersubr:
    return call_other_subroutine();
  case kPop:
    return pop_result();
  case kSetcurrentpoint:
    return set_current_point();
  case kSeac:
    return compose_accented();
  case kSbw:
    if (!has_operands(4))
      return Step::kFail;
    set_side_bearing(top(3), top(2), top(1));
    break;
  case kDotsection:
  case kVstem3:
  case kHstem3:
    break; // hints
  default:
    return Step::kFail;
  }
  stack_.clear();
  return Step::kContinue;
}

void Type1Interpreter::begin_contour() {
  if (contour_open_)
    return;
  outline_.move_to(scaled(current_));
  contour_open_ = true;
}

// Inside a flex the moves only carry the current point to the next flex point.
Type1Interpreter::Step Type1Interpreter::move_by(double dx, double dy) {
  if (!flex_.active)
    close_path();
  current_ = offset(current_, dx, dy);
  return Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::line_by(double dx, double dy) {
  begin_contour();
  current_ = offset(current_, dx, dy);
  outline_.line_to(scaled(current_));
  return outline_.overflowed ? Step::kFail : Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::curve_by(double dx1, double dy1, double dx2, double dy2,
                                                  double dx3, double dy3) {
  const Point c1 = offset(current_, dx1, dy1);
  const Point c2 = offset(c1, dx2, dy2);
  return curve_to(c1, c2, offset(c2, dx3, dy3));
}

// Each edge a curve is cut into counts as a unit of the glyph's work. An outline that
// overflowed its edge limit is useless, so the charstring stops there.
Type1Interpreter::Step Type1Interpreter::curve_to(const Point& c1, const Point& c2,
                                                  const Point& end) {
  begin_contour();
  work_ += flatten_cubic(outline_, scaled(current_), scaled(c1), scaled(c2), scaled(end));
  current_ = end;
  if (work_ > kMaxType1Work || outline_.overflowed)
    return Step::kFail;
  return Step::kContinue;
}

// hsbw and sbw. The components of a seac keep the accented character's advance.
void Type1Interpreter::set_side_bearing(double sbx, double sby, double width) {
  close_path();
  current_ = offset(origin_, sbx, sby);
  side_bearing_x_ = sbx;
  if (!in_component_)
    advance_ = width * scale_;
}

// arguments... count number callothersubr: the arguments leave the stack for the
// othersubr; what it returns waits in `results_` for pop.
Type1Interpreter::Step Type1Interpreter::call_other_subroutine() {
  if (!has_operands(2))
    return Step::kFail;
  long number = dv::lround(top());
  long count = dv::lround(top(1));
  if (count < 0 || static_cast<unsigned long>(count) > stack_.size - 2)
    return Step::kFail;
  unsigned long first = stack_.size - 2 - static_cast<unsigned long>(count);
  Step step = run_other_subroutine(number, first, static_cast<unsigned long>(count));
  stack_.resize(first);
  return step;
}

Type1Interpreter::Step Type1Interpreter::run_other_subroutine(long number, unsigned long first,
                                                              unsigned long count) {
  switch (number) {
  case kFlexEnd:
    return count == kFlexEndArguments ? end_flex() : Step::kFail;
  case kFlexStart:
    if (count != 0)
      return Step::kFail;
    begin_contour();
    flex_ = Flex();
    flex_.active = true;
    flex_.start = current_;
    return Step::kContinue;
  case kFlexPoint:
    if (count != 0 || !flex_.active || flex_.count == Flex::kPoints)
      return Step::kFail;
    flex_.points[flex_.count++] = current_;
    return Step::kContinue;
  case kHintReplacement:
    if (count != 1)
      return Step::kFail;
    break; // its one result is its argument, the hint subroutine's number
  default:
    break; // an othersubr of its own: its arguments come back as they were given
  }
  for (unsigned long i = first; i < first + count; ++i)
    results_.emplace_back(stack_.data[i]); // the last argument on top, popped first
  return Step::kContinue;
}

// Draws the two curves of the flex through the collected points and leaves the end point
// (relative to the charstring's origin) for "pop pop setcurrentpoint".
Type1Interpreter::Step Type1Interpreter::end_flex() {
  if (!flex_.active || flex_.count != Flex::kPoints)
    return Step::kFail;
  const Point* p = flex_.points;
  flex_.active = false;
  current_ = flex_.start;
  if (curve_to(p[1], p[2], p[3]) == Step::kFail || curve_to(p[4], p[5], p[6]) == Step::kFail)
    return Step::kFail;
  results_.emplace_back(current_.y - origin_.y);
  results_.emplace_back(current_.x - origin_.x);
  return Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::pop_result() {
  if (results_.size == 0)
    return Step::kFail;
  stack_.emplace_back(results_.data[results_.size - 1]);
  results_.resize(results_.size - 1);
  return Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::set_current_point() {
  if (!has_operands(2))
    return Step::kFail;
  current_ = offset(origin_, top(1), top());
  stack_.clear();
  return Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::divide() {
  if (!has_operands(2) || top() == 0)
    return Step::kFail;
  double quotient = top(1) / top();
  if (!(quotient >= -kLargestQuotient && quotient <= kLargestQuotient))
    return Step::kFail;
  stack_.resize(stack_.size - 2);
  stack_.emplace_back(quotient);
  return Step::kContinue;
}

// asb adx ady bchar achar seac: the base character, then the accent with its origin at
// (adx, ady) from the base's, moved by the difference between the accented character's
// side bearing and the accent's (asb): the base keeps its own side bearing, and the accent
// keeps its place relative to it. Both are StandardEncoding codes; seac ends the glyph.
Type1Interpreter::Step Type1Interpreter::compose_accented() {
  if (!has_operands(5) || in_component_)
    return Step::kFail;
  const char* base_name = standard_name_for_operand(top(1));
  const char* accent_name = standard_name_for_operand(top());
  if (base_name == nullptr || accent_name == nullptr)
    return Step::kFail;
  const auto& charstrings = font_->charstrings;
  const auto* end = charstrings.entries.data + charstrings.entries.size;
  const auto* base = charstrings.find(dv::string_view(base_name));
  const auto* accent = charstrings.find(dv::string_view(accent_name));
  if (base == end || accent == end)
    return Step::kFail;
  const Point accent_origin = offset(origin_, top(3) + side_bearing_x_ - top(4), top(2));
  in_component_ = true;
  bool drawn = run_component(base->second, origin_) && run_component(accent->second, accent_origin);
  in_component_ = false;
  if (!drawn)
    return Step::kFail;
  ended_ = true;
  return Step::kDone;
}

// Runs a whole charstring as a glyph of its own placed at `origin`, into the same outline.
bool Type1Interpreter::run_component(ByteView charstring, const Point& origin) {
  close_path();
  stack_.clear();
  results_.clear();
  flex_ = Flex();
  returned_ = false;
  ended_ = false;
  origin_ = origin;
  current_ = origin;
  bool ok = execute(charstring, 0);
  close_path();
  return ok;
}
