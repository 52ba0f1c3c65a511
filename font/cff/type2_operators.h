// The operator codes of Type 2 charstrings: one byte below 32 (28 starts a number), or 12
// followed by a second byte (the escaped operators).
#pragma once

namespace type2_op {

enum Operator : unsigned char {
  kHstem = 1,
  kVstem = 3,
  kVmoveto = 4,
  kRlineto = 5,
  kHlineto = 6,
  kVlineto = 7,
  kRrcurveto = 8,
  kCallsubr = 10,
  kReturn = 11,
  kEscape = 12,
  kEndchar = 14,
  kVsindex = 15, // CFF2 only
  kBlend = 16,   // CFF2 only
  kHstemhm = 18,
  kHintmask = 19,
  kCntrmask = 20,
  kRmoveto = 21,
  kHmoveto = 22,
  kVstemhm = 23,
  kRcurveline = 24,
  kRlinecurve = 25,
  kVvcurveto = 26,
  kHhcurveto = 27,
  kShortInt = 28, // not an operator: a 16-bit integer follows
  kCallgsubr = 29,
  kVhcurveto = 30,
  kHvcurveto = 31,
  kFixed = 255, // not an operator: a 16.16 number follows
};

enum EscapedOperator : unsigned char {
  kDotsection = 0,
  kAnd = 3,
  kOr = 4,
  kNot = 5,
  kAbs = 9,
  kAdd = 10,
  kSub = 11,
  kDiv = 12,
  kNeg = 14,
  kEq = 15,
  kDrop = 18,
  kPut = 20,
  kGet = 21,
  kIfelse = 22,
  kRandom = 23,
  kMul = 24,
  kSqrt = 26,
  kDup = 27,
  kExch = 28,
  kIndex = 29,
  kRoll = 30,
  kHflex = 34,
  kFlex = 35,
  kHflex1 = 36,
  kFlex1 = 37,
};

} // namespace type2_op
