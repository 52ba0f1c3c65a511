// The operator codes of Type 1 charstrings: one byte below 32, or 12 followed by a second
// byte (the escape operators).
#pragma once

namespace type1_op {

enum Operator : unsigned char {
  kHstem = 1,
  kVstem = 3,
  kVmoveto = 4,
  kRlineto = 5,
  kHlineto = 6,
  kVlineto = 7,
  kRrcurveto = 8,
  kClosepath = 9,
  kCallsubr = 10,
  kReturn = 11,
  kEscape = 12,
  kHsbw = 13,
  kEndchar = 14,
  kRmoveto = 21,
  kHmoveto = 22,
  kVhcurveto = 30,
  kHvcurveto = 31,
};

enum EscapeOperator : unsigned char {
  kDotsection = 0,
  kVstem3 = 1,
  kHstem3 = 2,
  kSeac = 6,
  kSbw = 7,
  kDiv = 12,
  kCallothersubr = 16,
  kPop = 17,
  kSetcurrentpoint = 33,
};

} // namespace type1_op
