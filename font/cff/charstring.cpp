#include "font/cff/charstring.h"

#include "font/cff/standard_encoding.h"
#include "font/cff/type2_operators.h"
#include "font/raster/curve_flattening.h"
#include "font/sfnt/item_variation_store.h"
#include "runtime/math.h"

namespace {

using namespace type2_op;

constexpr int kMaxOperands = 48;      // CFF's argument stack
constexpr int kMaxCff2Operands = 513; // CFF2's, which blend's operands fill
constexpr int kTransientSize = 32;

// How a run of code ended.
enum class Outcome { kReturned, kEnded, kFailed };

// The subroutine number bias of an INDEX of `count` subroutines.
int32_t subroutine_bias(uint32_t count) {
  if (count < 1240)
    return 107;
  return count < 33900 ? 1131 : 32768;
}

class Type2Interpreter {
public:
  Type2Interpreter(const CffFont& font, double scale, OutlineBuilder& outline, CharstringWork& work)
      : font_(font), scale_(scale), outline_(outline), work_(work),
        max_operands_(font.cff2 ? kMaxCff2Operands : kMaxOperands) {
    // Only the font's own stack depth starts zeroed: a CFF glyph clears 48 operands, not
    // the 513 that CFF2's blends may fill.
    for (int i = 0; i < max_operands_; ++i)
      stack_[i] = 0.0;
  }

  // Runs glyph `glyph` with its origin at (dx, dy) font units. Endchar's accent form is
  // honoured only when `components` is true (a component may not be composite again).
  bool draw_glyph(uint32_t glyph, double dx, double dy, bool components) {
    ByteSpan code;
    private_ = private_for_glyph(font_, glyph);
    if (private_ == nullptr || !cff_index_object(font_.data, font_.charstrings, glyph, code))
      return false;
    reset(dx, dy);
    vsindex_ = private_->vsindex;
    components_allowed_ = components;
    return execute(code, 0) == Outcome::kEnded || (!failed_ && close_glyph());
  }

private:
  void reset(double dx, double dy) {
    count_ = 0;
    stems_ = 0;
    width_seen_ = font_.cff2; // CFF2 charstrings carry no width
    blended_ = false;
    regions_known_ = false;
    x_ = 0.0;
    y_ = 0.0;
    origin_x_ = dx;
    origin_y_ = dy;
    failed_ = false;
  }

  // A charstring without endchar ends with its last operator, as if endchar followed.
  bool close_glyph() {
    outline_.close_contour();
    return true;
  }

  Outcome execute(ByteSpan code, int depth) {
    if (code.length > kMaxCharstringBytes)
      return fail();
    const unsigned char* bytes = font_.data.data + code.offset;
    uint32_t at = 0;
    while (at < code.length) {
      if (++work_.steps > kMaxCharstringSteps)
        return fail();
      const int b0 = bytes[at++];
      if (b0 >= 32 || b0 == kShortInt) {
        if (!read_number(bytes, code.length, b0, at))
          return fail();
        continue;
      }
      if (b0 == kCallsubr || b0 == kCallgsubr) {
        const Outcome called = call(b0 == kCallgsubr, depth);
        if (called != Outcome::kReturned)
          return called;
        continue;
      }
      if (font_.cff2) {
        if (b0 == kReturn || b0 == kEndchar) // CFF2 code ends where its data ends
          return fail();
        if (b0 == kVsindex || b0 == kBlend) {
          if (!(b0 == kBlend ? blend() : select_data_set()))
            return fail();
          continue;
        }
      }
      if (b0 == kReturn)
        return Outcome::kReturned;
      if (b0 == kEndchar)
        return endchar();
      if (b0 == kHintmask || b0 == kCntrmask) {
        take_width(count_ % 2 == 1);
        stems_ += count_ / 2; // the vertical stems a mask's arguments declare
        count_ = 0;
        const uint32_t mask_bytes = (static_cast<uint32_t>(stems_) + 7) / 8;
        if (code.length - at < mask_bytes)
          return fail();
        at += mask_bytes;
        continue;
      }
      bool ok = false;
      if (b0 == kEscape) {
        if (at >= code.length)
          return fail();
        ok = escaped(bytes[at++]);
      } else {
        ok = path_or_hint(b0);
      }
      if (!ok || failed_)
        return fail();
    }
    return Outcome::kReturned;
  }

  Outcome fail() {
    failed_ = true;
    return Outcome::kFailed;
  }

  bool push(double value) {
    if (count_ == max_operands_)
      return false;
    stack_[count_++] = value;
    return true;
  }

  bool read_number(const unsigned char* bytes, uint32_t length, int b0, uint32_t& at) {
    if (b0 <= 246 && b0 != kShortInt)
      return push(b0 - 139);
    if (b0 == kShortInt) {
      if (length - at < 2)
        return false;
      const double value = static_cast<int16_t>(bytes[at] << 8 | bytes[at + 1]);
      at += 2;
      return push(value);
    }
    if (b0 == kFixed) {
      if (length - at < 4)
        return false;
      const uint32_t raw = static_cast<uint32_t>(bytes[at]) << 24 |
                           static_cast<uint32_t>(bytes[at + 1]) << 16 |
                           static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
      at += 4;
      return push(static_cast<int32_t>(raw) / 65536.0);
    }
    if (at >= length)
      return false;
    const int b1 = bytes[at++];
    return push(b0 <= 250 ? (b0 - 247) * 256 + b1 + 108 : -(b0 - 251) * 256 - b1 - 108);
  }

  Outcome call(bool global, int depth) {
    if (count_ == 0 || depth + 1 > kMaxSubroutineDepth)
      return fail();
    const CffIndex& subrs = global ? font_.global_subrs : private_->local_subrs;
    const double number = stack_[--count_] + subroutine_bias(subrs.count);
    if (!(number >= 0.0 && number < subrs.count))
      return fail();
    ByteSpan code;
    if (!cff_index_object(font_.data, subrs, static_cast<uint32_t>(number), code))
      return fail();
    return execute(code, depth + 1);
  }

  // The first stack-clearing operator may carry the advance width below its arguments.
  void take_width(bool has_extra_operand) {
    if (width_seen_)
      return;
    width_seen_ = true;
    if (has_extra_operand && count_ > 0) {
      for (int i = 1; i < count_; ++i)
        stack_[i - 1] = stack_[i];
      --count_;
    }
  }

  Outcome endchar() {
    take_width(count_ == 1 || count_ == 5);
    if (count_ == 4 && components_allowed_)
      return accented_character() ? Outcome::kEnded : fail();
    outline_.close_contour();
    count_ = 0;
    return Outcome::kEnded;
  }

  // "adx ady bchar achar endchar": the base character, then the accent moved by (adx, ady),
  // both named by their StandardEncoding codes.
  bool accented_character() {
    outline_.close_contour();
    const double adx = stack_[0];
    const double ady = stack_[1];
    uint32_t base = 0;
    uint32_t accent = 0;
    if (!component_glyph(stack_[2], base) || !component_glyph(stack_[3], accent))
      return false;
    Type2Interpreter component(font_, scale_, outline_, work_);
    return component.draw_glyph(base, origin_x_, origin_y_, false) &&
           component.draw_glyph(accent, origin_x_ + adx, origin_y_ + ady, false);
  }

  bool component_glyph(double code, uint32_t& glyph) {
    if (!(code >= 0.0 && code <= 255.0) || code != static_cast<int>(code))
      return false;
    const uint16_t sid = standard_encoding_sid(static_cast<int>(code));
    return sid != 0 && glyph_for_sid(font_, sid, glyph);
  }

  // ---- CFF2 variations -----------------------------------------------------------------

  // "ivs vsindex": the data set later blends use; only before the first blend.
  bool select_data_set() {
    if (count_ < 1 || blended_)
      return false;
    const double value = stack_[--count_];
    if (!(value >= 0.0 && value <= UINT16_MAX) || value != static_cast<int>(value))
      return false;
    vsindex_ = static_cast<uint16_t>(value);
    regions_known_ = false;
    count_ = 0;
    return true;
  }

  // The regions of the data set vsindex names and, away from the default instance, their
  // weights at the font's instance (each blend of the glyph reuses them).
  bool load_regions() {
    if (regions_known_)
      return true;
    const FontVariations& variations = font_.variations;
    if (!item_data_region_count(font_.data, font_.cff2_store, vsindex_, regions_))
      return false;
    // A blend names at least one value and its deltas among at most 512 operands.
    if (regions_ >= kMaxCff2Operands - 1)
      return false;
    if (!variations.at_default) {
      if (!item_data_region_weights(font_.data, font_.cff2_store, vsindex_,
                                    variations.coordinates.data,
                                    static_cast<uint32_t>(variations.axes.size), weights_, regions_,
                                    work_.regions_weighed))
        return false;
    }
    regions_known_ = true;
    return true;
  }

  // "v(1) .. v(n) d(1,1) .. d(n,k) n blend": leaves n values, each its default plus its k
  // deltas weighted by their regions. At the default instance the defaults stand, as the
  // other outline formats apply no deltas there.
  bool blend() {
    if (count_ < 1 || !load_regions())
      return false;
    blended_ = true;
    const double n_value = stack_[--count_];
    const int k = regions_;
    if (!(n_value >= 0.0 && n_value * (k + 1.0) <= count_) || n_value != static_cast<int>(n_value))
      return false;
    const int n = static_cast<int>(n_value);
    const int first = count_ - n * (k + 1);
    const double* deltas = stack_ + first + n;
    work_.variation_deltas += static_cast<uint64_t>(n) * k;
    if (work_.variation_deltas > kMaxVariationDeltas)
      return false;
    if (!font_.variations.at_default) {
      for (int i = 0; i < n; ++i) {
        double value = stack_[first + i];
        for (int r = 0; r < k; ++r)
          value += weights_[r] * deltas[i * k + r];
        stack_[first + i] = value;
      }
    }
    count_ = first + n;
    return true;
  }

  // ---- path construction, in font units relative to the glyph's origin -----------------

  Point to_pixels(double x, double y) const {
    return {(x + origin_x_) * scale_, (y + origin_y_) * scale_};
  }

  void move_by(double dx, double dy) {
    x_ += dx;
    y_ += dy;
    outline_.move_to(to_pixels(x_, y_));
  }

  // Path operators before any move start a contour where the pen is.
  void ensure_contour() {
    if (!outline_.contour_open)
      outline_.move_to(to_pixels(x_, y_));
  }

  void line_by(double dx, double dy) {
    ensure_contour();
    x_ += dx;
    y_ += dy;
    outline_.line_to(to_pixels(x_, y_));
    count_edges(1);
  }

  void curve_by(double dx1, double dy1, double dx2, double dy2, double dx3, double dy3) {
    ensure_contour();
    const Point p0 = outline_.current;
    const double x1 = x_ + dx1, y1 = y_ + dy1;
    const double x2 = x1 + dx2, y2 = y1 + dy2;
    x_ = x2 + dx3;
    y_ = y2 + dy3;
    count_edges(
        flatten_cubic(outline_, p0, to_pixels(x1, y1), to_pixels(x2, y2), to_pixels(x_, y_)));
  }

  void count_edges(uint32_t edges) {
    work_.edges += edges;
    if (work_.edges > kMaxOutlineSegments)
      failed_ = true;
  }

  bool path_or_hint(int op) {
    const double* a = stack_;
    const int n = count_;
    switch (op) {
    case kHstem:
    case kVstem:
    case kHstemhm:
    case kVstemhm:
      take_width(count_ % 2 == 1);
      stems_ += count_ / 2;
      break;
    case kRmoveto:
      take_width(count_ > 2);
      if (count_ < 2)
        return false;
      move_by(stack_[0], stack_[1]);
      break;
    case kHmoveto:
    case kVmoveto:
      take_width(count_ > 1);
      if (count_ < 1)
        return false;
      move_by(op == kHmoveto ? stack_[0] : 0.0, op == kVmoveto ? stack_[0] : 0.0);
      break;
    case kRlineto:
      take_width(false);
      for (int i = 0; i + 1 < n; i += 2)
        line_by(a[i], a[i + 1]);
      break;
    case kHlineto:
    case kVlineto:
      take_width(false);
      for (int i = 0; i < n; ++i) {
        const bool horizontal = (i % 2 == 0) == (op == kHlineto);
        line_by(horizontal ? a[i] : 0.0, horizontal ? 0.0 : a[i]);
      }
      break;
    case kRrcurveto:
      take_width(false);
      for (int i = 0; i + 5 < n; i += 6)
        curve_by(a[i], a[i + 1], a[i + 2], a[i + 3], a[i + 4], a[i + 5]);
      break;
    case kRcurveline: {
      take_width(false);
      int i = 0;
      for (; i + 7 < n; i += 6)
        curve_by(a[i], a[i + 1], a[i + 2], a[i + 3], a[i + 4], a[i + 5]);
      if (i + 1 < n)
        line_by(a[i], a[i + 1]);
      break;
    }
    case kRlinecurve: {
      take_width(false);
      int i = 0;
      for (; i + 7 < n; i += 2)
        line_by(a[i], a[i + 1]);
      if (i + 5 < n)
        curve_by(a[i], a[i + 1], a[i + 2], a[i + 3], a[i + 4], a[i + 5]);
      break;
    }
    case kHhcurveto:
    case kVvcurveto:
      take_width(false);
      aligned_curves(op == kHhcurveto);
      break;
    case kHvcurveto:
    case kVhcurveto:
      take_width(false);
      alternating_curves(op == kHvcurveto);
      break;
    default:
      return false; // reserved operator
    }
    count_ = 0;
    return true;
  }

  // hhcurveto and vvcurveto: curves that start and end along one axis; an odd first
  // argument is the other axis's first offset.
  void aligned_curves(bool horizontal) {
    const double* a = stack_;
    int i = 0;
    double first_cross = 0.0;
    if (count_ % 4 == 1)
      first_cross = a[i++];
    for (; i + 3 < count_; i += 4) {
      if (horizontal)
        curve_by(a[i], first_cross, a[i + 1], a[i + 2], a[i + 3], 0.0);
      else
        curve_by(first_cross, a[i], a[i + 1], a[i + 2], 0.0, a[i + 3]);
      first_cross = 0.0;
    }
  }

  // hvcurveto and vhcurveto: curves whose tangents alternate between the axes; a fifth
  // argument after the last group is the last curve's final cross-axis offset.
  void alternating_curves(bool horizontal) {
    const double* a = stack_;
    for (int i = 0; i + 3 < count_; i += 4) {
      const double last = count_ - i == 5 ? a[i + 4] : 0.0;
      if (horizontal)
        curve_by(a[i], 0.0, a[i + 1], a[i + 2], last, a[i + 3]);
      else
        curve_by(0.0, a[i], a[i + 1], a[i + 2], a[i + 3], last);
      horizontal = !horizontal;
    }
  }

  // ---- two-byte operators -------------------------------------------------------------

  bool escaped(int op) {
    if (font_.cff2 && op != kHflex && op != kFlex && op != kHflex1 && op != kFlex1)
      return false; // CFF2 keeps the flex operators only
    switch (op) {
    case kDotsection:
      count_ = 0;
      return true;
    case kHflex:
    case kFlex:
    case kHflex1:
    case kFlex1:
      take_width(false);
      if (!flex(op))
        return false;
      count_ = 0;
      return true;
    default:
      return arithmetic(op);
    }
  }

  bool flex(int op) {
    const double* a = stack_;
    switch (op) {
    case kFlex:
      if (count_ < 13)
        return false;
      curve_by(a[0], a[1], a[2], a[3], a[4], a[5]);
      curve_by(a[6], a[7], a[8], a[9], a[10], a[11]);
      return true;
    case kHflex:
      if (count_ < 7)
        return false;
      curve_by(a[0], 0.0, a[1], a[2], a[3], 0.0);
      curve_by(a[4], 0.0, a[5], -a[2], a[6], 0.0);
      return true;
    case kHflex1:
      if (count_ < 9)
        return false;
      curve_by(a[0], a[1], a[2], a[3], a[4], 0.0);
      curve_by(a[5], 0.0, a[6], a[7], a[8], -(a[1] + a[3] + a[7]));
      return true;
    default: { // flex1: the last point moves along the axis the curve travelled further on
      if (count_ < 11)
        return false;
      double dx = 0.0, dy = 0.0;
      for (int i = 0; i < 10; i += 2) {
        dx += a[i];
        dy += a[i + 1];
      }
      const bool horizontal = dv::fabs(dx) > dv::fabs(dy);
      curve_by(a[0], a[1], a[2], a[3], a[4], a[5]);
      curve_by(a[6], a[7], a[8], a[9], horizontal ? a[10] : -dx, horizontal ? -dy : a[10]);
      return true;
    }
    }
  }

  // The arithmetic and storage operators work on the argument stack and leave it otherwise
  // untouched. Results that are not finite make the glyph fail.
  bool arithmetic(int op) {
    const int needs = operand_count(op);
    if (needs < 0 || count_ < needs)
      return false;
    double* top = stack_ + count_;
    double result = 0.0;
    switch (op) {
    case kAnd:
      result = top[-2] != 0.0 && top[-1] != 0.0;
      break;
    case kOr:
      result = top[-2] != 0.0 || top[-1] != 0.0;
      break;
    case kNot:
      result = top[-1] == 0.0;
      break;
    case kAbs:
      result = dv::fabs(top[-1]);
      break;
    case kAdd:
      result = top[-2] + top[-1];
      break;
    case kSub:
      result = top[-2] - top[-1];
      break;
    case kDiv:
      if (top[-1] == 0.0)
        return false;
      result = top[-2] / top[-1];
      break;
    case kNeg:
      result = -top[-1];
      break;
    case kEq:
      result = top[-2] == top[-1];
      break;
    case kMul:
      result = top[-2] * top[-1];
      break;
    case kSqrt:
      if (top[-1] < 0.0)
        return false;
      result = dv::sqrt(top[-1]);
      break;
    case kRandom:
      random_state_ = random_state_ * 1103515245u + 12345u;
      result = ((random_state_ >> 8) % 65535 + 1) / 65536.0; // in (0, 1)
      break;
    case kIfelse:
      result = top[-2] <= top[-1] ? top[-4] : top[-3];
      break;
    case kDup:
      result = top[-1];
      break;
    case kGet: {
      const int i = transient_index(top[-1]);
      if (i < 0)
        return false;
      result = transient_[i];
      break;
    }
    case kPut: {
      const int i = transient_index(top[-1]);
      if (i < 0)
        return false;
      transient_[i] = top[-2];
      count_ -= 2;
      return true;
    }
    case kDrop:
      --count_;
      return true;
    case kExch:
      result = top[-1];
      top[-1] = top[-2];
      top[-2] = result;
      return true;
    case kIndex: {
      const double i = top[-1];
      const int from =
          !(i >= 0.0) ? count_ - 2 : (i < count_ - 1 ? count_ - 2 - static_cast<int>(i) : -1);
      if (from < 0)
        return false;
      top[-1] = stack_[from];
      return true;
    }
    default: // roll
      return roll();
    }
    if (!dv::isfinite(result))
      return false;
    count_ -= needs;
    if (op == kDup)
      count_ += 1; // dup keeps its operand
    return push(result);
  }

  // How many operands an operator pops before pushing its result; -1 for a reserved one.
  static int operand_count(int op) {
    switch (op) {
    case kNot:
    case kAbs:
    case kNeg:
    case kSqrt:
    case kDup:
    case kGet:
    case kDrop:
    case kIndex:
      return 1;
    case kAnd:
    case kOr:
    case kAdd:
    case kSub:
    case kDiv:
    case kEq:
    case kMul:
    case kPut:
    case kExch:
    case kRoll:
      return 2;
    case kIfelse:
      return 4;
    case kRandom:
      return 0;
    default:
      return -1;
    }
  }

  static int transient_index(double value) {
    if (!(value >= 0.0 && value < kTransientSize))
      return -1;
    return static_cast<int>(value);
  }

  // "a(N-1) .. a0 N J roll": the top N elements move J places up (down when J is negative).
  bool roll() {
    const double n_value = stack_[count_ - 2];
    const double j_value = stack_[count_ - 1];
    count_ -= 2;
    if (!(n_value >= 0.0 && n_value <= count_) || !(j_value > -1e9 && j_value < 1e9))
      return false;
    const int n = static_cast<int>(n_value);
    if (n == 0)
      return true;
    int j = static_cast<int>(j_value) % n;
    j = j < 0 ? j + n : j;
    double moved[kMaxOperands];
    double* first = stack_ + count_ - n;
    for (int i = 0; i < n; ++i)
      moved[(i + j) % n] = first[i];
    for (int i = 0; i < n; ++i)
      first[i] = moved[i];
    return true;
  }

  const CffFont& font_;
  const double scale_;
  OutlineBuilder& outline_;
  CharstringWork& work_;
  const CffPrivate* private_ = nullptr;
  const int max_operands_;
  double stack_[kMaxCff2Operands]; // [0, max_operands_) zeroed by the constructor
  int count_ = 0;
  uint16_t vsindex_ = 0;
  uint16_t regions_ = 0; // of the data set vsindex_ names, once regions_known_
  bool regions_known_ = false;
  bool blended_ = false;             // vsindex may not follow a blend
  double weights_[kMaxCff2Operands]; // each region's weight at the instance, once loaded
  double transient_[kTransientSize] = {};
  int stems_ = 0;
  bool width_seen_ = false;
  bool components_allowed_ = true;
  bool failed_ = false;
  double x_ = 0.0; // the pen, in font units from the glyph's origin
  double y_ = 0.0;
  double origin_x_ = 0.0; // where the glyph's origin lies (an accent's is moved)
  double origin_y_ = 0.0;
  uint32_t random_state_ = 1;
};

} // namespace

bool draw_cff_glyph(const CffFont& font, uint32_t glyph, double scale, OutlineBuilder& outline,
                    CharstringWork& work) {
  Type2Interpreter interpreter(font, scale, outline, work);
  return interpreter.draw_glyph(glyph, 0.0, 0.0, true);
}
