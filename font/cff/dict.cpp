#include "font/cff/dict.h"

namespace {

constexpr int kMaxOperands = 48;
constexpr int kMaxCff2Operands = 513;

enum DictOperator : uint16_t {
  kCharset = 15,
  kCharStrings = 17,
  kPrivate = 18,
  kSubrs = 19,
  kDefaultWidthX = 20,
  kNominalWidthX = 21,
  kVsindex = 22,
  kBlend = 23,
  kVstore = 24,
  kCharstringType = 1206,
  kRos = 1230,
  kFdArray = 1236,
  kFdSelect = 1237,
};

struct Operands {
  double values[kMaxCff2Operands];
  int count = 0;
};

// What tells the two DICT syntaxes apart: CFF2 allows more operands, and its Private DICT
// may blend values through the font's item variation store.
struct DictSyntax {
  int max_operands;
  int last_operator;               // one-byte operators are 0 to this
  const ItemVariationStore* store; // null: CFF, where blend does not exist
};

// An operand that is a whole number in [0, 2^32): offsets, sizes and selectors.
bool as_offset(double value, uint32_t& out) {
  if (!(value >= 0.0 && value < 4294967296.0))
    return false;
  if (value != static_cast<double>(static_cast<uint32_t>(value)))
    return false;
  out = static_cast<uint32_t>(value);
  return true;
}

// A real number: nibbles of digits, point, exponent and sign, ended by nibble 0xf. The
// value is built from at most 20 significant digits; the exponent is clamped, so the
// result is finite or an infinity, never a trap.
bool read_real(ByteView data, uint64_t& at, uint64_t end, double& out) {
  double mantissa = 0.0;
  int digits = 0;
  int fraction_digits = 0;
  bool in_fraction = false;
  bool negative = false;
  bool in_exponent = false;
  int exponent_sign = 1;
  int exponent = 0;
  for (;;) {
    if (at >= end)
      return false;
    const unsigned char byte = data.data[at++];
    for (int half = 0; half < 2; ++half) {
      const int nibble = half == 0 ? byte >> 4 : byte & 0xF;
      if (nibble <= 9) {
        if (in_exponent) {
          exponent = exponent < 1000 ? exponent * 10 + nibble : exponent;
        } else if (digits < 20) {
          mantissa = mantissa * 10.0 + nibble;
          ++digits;
          fraction_digits += in_fraction ? 1 : 0;
        } else if (!in_fraction) {
          --fraction_digits; // a digit beyond the precision kept still scales the value
        }
      } else if (nibble == 0xA) {
        in_fraction = true;
      } else if (nibble == 0xB || nibble == 0xC) {
        in_exponent = true;
        exponent_sign = nibble == 0xB ? 1 : -1;
      } else if (nibble == 0xE) {
        negative = true;
      } else if (nibble == 0xF) {
        int power = exponent_sign * exponent - fraction_digits;
        double scale = 1.0;
        for (int p = power < 0 ? -power : power; p > 0 && scale < 1e308; --p)
          scale *= 10.0;
        out = mantissa == 0.0 ? 0.0 : (power < 0 ? mantissa / scale : mantissa * scale);
        out = negative ? -out : out;
        return true;
      } else {
        return false; // 0xD is reserved
      }
    }
  }
}

bool read_operand(ByteView data, uint64_t& at, uint64_t end, double& out) {
  const unsigned char b0 = data.data[at++];
  if (b0 >= 32 && b0 <= 246) {
    out = b0 - 139;
    return true;
  }
  if (b0 >= 247 && b0 <= 254) {
    if (at >= end)
      return false;
    const int b1 = data.data[at++];
    out = b0 <= 250 ? (b0 - 247) * 256 + b1 + 108 : -(b0 - 251) * 256 - b1 - 108;
    return true;
  }
  if (b0 == 28) {
    if (end - at < 2)
      return false;
    out = static_cast<int16_t>(data.data[at] << 8 | data.data[at + 1]);
    at += 2;
    return true;
  }
  if (b0 == 29) {
    if (end - at < 4)
      return false;
    out = static_cast<int32_t>(static_cast<uint32_t>(data.data[at]) << 24 |
                               static_cast<uint32_t>(data.data[at + 1]) << 16 |
                               static_cast<uint32_t>(data.data[at + 2]) << 8 | data.data[at + 3]);
    at += 4;
    return true;
  }
  if (b0 == 30)
    return read_real(data, at, end, out);
  return false;
}

bool apply_operator(uint16_t op, const Operands& operands, CffDict& dict) {
  const double* v = operands.values;
  const int n = operands.count;
  switch (op) {
  case kCharStrings:
    dict.has_charstrings = true;
    return n >= 1 && as_offset(v[n - 1], dict.charstrings);
  case kCharset:
    return n >= 1 && as_offset(v[n - 1], dict.charset);
  case kCharstringType:
    dict.charstring_type = n >= 1 && v[n - 1] == 1.0 ? 1 : 2;
    return n >= 1;
  case kPrivate:
    dict.has_private = true;
    return n >= 2 && as_offset(v[n - 2], dict.private_size) &&
           as_offset(v[n - 1], dict.private_offset);
  case kRos:
    dict.cid_keyed = true;
    return true;
  case kFdArray:
    dict.has_fd_array = true;
    return n >= 1 && as_offset(v[n - 1], dict.fd_array);
  case kFdSelect:
    dict.has_fd_select = true;
    return n >= 1 && as_offset(v[n - 1], dict.fd_select);
  case kVstore:
    dict.has_vstore = true;
    return n >= 1 && as_offset(v[n - 1], dict.vstore);
  case kVsindex:
    return n >= 1 && as_offset(v[n - 1], dict.vsindex) && dict.vsindex <= UINT16_MAX;
  case kSubrs:
    dict.has_subrs = true;
    return n >= 1 && as_offset(v[n - 1], dict.subrs);
  case kDefaultWidthX:
    dict.default_width = n >= 1 ? v[n - 1] : 0.0;
    return n >= 1;
  case kNominalWidthX:
    dict.nominal_width = n >= 1 ? v[n - 1] : 0.0;
    return n >= 1;
  default:
    return true;
  }
}

// "v(1) .. v(n) d(1,1) .. d(n,k) n blend": n values, each followed (after all n) by k
// deltas, one per region of the data set vsindex names. Only hint values are ever blended
// in a Private DICT and the loader reads none of them, so the default values are kept and
// the deltas dropped; what matters is that the operands after them line up.
bool blend_operands(ByteView data, const ItemVariationStore& store, const CffDict& dict,
                    Operands& operands) {
  uint16_t regions = 0;
  if (operands.count < 1 || !item_data_region_count(data, store, dict.vsindex, regions))
    return false;
  const double n = operands.values[--operands.count];
  if (!(n >= 0.0 && n * (regions + 1.0) <= operands.count) || n != static_cast<int>(n))
    return false;
  operands.count -= static_cast<int>(n) * regions;
  return true;
}

bool parse_dict(ByteView data, ByteSpan span, const DictSyntax& syntax, CffDict& dict) {
  if (uint64_t{span.offset} + span.length > data.size)
    return false;
  uint64_t at = span.offset;
  const uint64_t end = uint64_t{span.offset} + span.length;
  Operands operands;
  while (at < end) {
    const unsigned char b0 = data.data[at];
    if (b0 <= syntax.last_operator) {
      ++at;
      uint16_t op = b0;
      if (b0 == 12) {
        if (at >= end)
          return false;
        op = static_cast<uint16_t>(1200 + data.data[at++]);
      }
      if (op == kBlend) {
        if (syntax.store == nullptr || !blend_operands(data, *syntax.store, dict, operands))
          return false;
        continue;
      }
      if (!apply_operator(op, operands, dict))
        return false;
      operands.count = 0;
      continue;
    }
    if (operands.count == syntax.max_operands)
      return false;
    if (!read_operand(data, at, end, operands.values[operands.count++]))
      return false;
  }
  return true;
}

} // namespace

bool parse_cff_dict(ByteView data, ByteSpan span, CffDict& dict) {
  return parse_dict(data, span, DictSyntax{kMaxOperands, 21, nullptr}, dict);
}

bool parse_cff2_dict(ByteView data, ByteSpan span, const ItemVariationStore& store, CffDict& dict) {
  return parse_dict(data, span, DictSyntax{kMaxCff2Operands, kVstore, &store}, dict);
}
