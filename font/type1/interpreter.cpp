#include "font/type1/interpreter.h"

#include "font/type1/charstring_operators.h"
#include "runtime/math.h"

using namespace type1_op;

namespace {

int32_t read_i32_be(const unsigned char* bytes) {
  uint32_t value = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 |
                   uint32_t(bytes[3]);
  return static_cast<int32_t>(value);
}

} // namespace

// Pushes the number starting at `position` and steps over it. False when its bytes run
// past the end of the charstring: 0 is pushed and the charstring ends there.
bool Type1Interpreter::push_number(ByteView charstring, unsigned long& position) {
  const unsigned char* bytes = charstring.data + position;
  unsigned long remaining = charstring.size - position;
  int v = bytes[0];
  if (v <= 246) {
    stack_.emplace_back(double(v - 139));
    position += 1;
    return true;
  }
  unsigned long length = v == 255 ? 5 : 2;
  if (remaining < length) {
    stack_.emplace_back(0.0);
    return false;
  }
  if (v == 255)
    stack_.emplace_back(double(read_i32_be(bytes + 1)));
  else if (v <= 250)
    stack_.emplace_back(double((v - 247) * 256 + bytes[1] + 108));
  else
    stack_.emplace_back(double(-(v - 251) * 256 - bytes[1] - 108));
  position += length;
  return true;
}

bool Type1Interpreter::execute(ByteView charstring, int level) {
  if (level > kMaxType1SubroutineDepth)
    return false;
  unsigned long position = 0;
  while (position < charstring.size) {
    if (++work_ > kMaxType1Work)
      return false;
    unsigned char byte = charstring.data[position];
    if (byte >= 32) {
      if (!push_number(charstring, position))
        return true;
      continue;
    }
    ++position;
    Step step;
    if (byte == kEscape) {
      if (position >= charstring.size)
        return false;
      step = run_escape(charstring.data[position++]);
    } else {
      step = run_operator(byte, level);
    }
    if (step == Step::kFail)
      return false;
    if (step == Step::kDone)
      return true;
  }
  return true;
}

Type1Interpreter::Step Type1Interpreter::run_operator(unsigned char op, int level) {
  if (complete_)
    return run_complete_operator(op, level);
  switch (op) {
  case kHstem:
  case kVstem:
    break;
  case kVmoveto:
  case kHmoveto:
    if (!has_operands(1))
      return Step::kFail;
    (op == kVmoveto ? current_.y : current_.x) += top();
    move_to_current();
    break;
  case kRmoveto:
  case kRlineto:
    if (!has_operands(2))
      return Step::kFail;
    current_.x += top(1);
    current_.y += top();
    op == kRmoveto ? move_to_current() : line_to_current();
    break;
  case kHlineto:
  case kVlineto:
    if (!has_operands(1))
      return Step::kFail;
    (op == kHlineto ? current_.x : current_.y) += top();
    line_to_current();
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
    if (!has_operands(2))
      return Step::kFail;
    current_ = Point{top(1), 0};
    contour_start_ = current_;
    contour_open_ = false;
    advance_ = top() * scale_;
    break;
  case kEndchar:
    close_path();
    ended_ = true;
    break;
  default:
    return Step::kFail;
  }
  stack_.clear();
  return ended_ || returned_ ? Step::kDone : Step::kContinue;
}

Type1Interpreter::Step Type1Interpreter::run_escape(unsigned char op) {
  if (complete_)
    return run_complete_escape(op);
  switch (op) {
  case kSbw:
    if (!has_operands(4))
      return Step::kFail;
    current_ = Point{top(3), top(2)};
    contour_start_ = current_;
    contour_open_ = false;
    advance_ = top(1) * scale_;
    break;
  case kCallothersubr:
  case kPop:
  case kSetcurrentpoint:
    break;
  default:
    return Step::kFail;
  }
  stack_.clear();
  return Step::kContinue;
}

// In the straight-line mode the operands below the subroutine number do not reach the
// subroutine; in the complete mode they do (flex passes its end point to subroutine 0).
// Either way, what the subroutine leaves on the stack stays there for the caller's next
// operator.
Type1Interpreter::Step Type1Interpreter::call_subroutine(int level) {
  if (!has_operands(1))
    return Step::kFail;
  long number = dv::lround(top());
  if (complete_)
    stack_.resize(stack_.size - 1);
  else
    stack_.clear();
  int32_t index = static_cast<int32_t>(static_cast<uint32_t>(number));
  if (index < 0 || static_cast<unsigned long>(index) >= font_->subrs.size)
    return Step::kFail;
  if (!execute(font_->subrs.data[index], level + 1))
    return Step::kFail;
  returned_ = false;
  return ended_ ? Step::kDone : Step::kContinue;
}

void Type1Interpreter::close_path() {
  outline_.close_contour();
  contour_open_ = false;
}

void Type1Interpreter::move_to_current() {
  close_path();
  outline_.move_to(scaled(current_));
  contour_start_ = current_;
  contour_open_ = true;
}

void Type1Interpreter::line_to_current() {
  if (!contour_open_) {
    outline_.move_to(scaled(contour_start_));
    contour_open_ = true;
  }
  outline_.line_to(scaled(current_));
}
