// CFF DICT data: operands (integers and real numbers) followed by an operator, one or two
// bytes (12 x becomes 1200 + x). Only the operators the font loader uses are kept.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/cff/index.h"
#include "font/sfnt/item_variation_store.h"

// What the loader needs from a Top DICT, a Font DICT (FDArray) and a Private DICT; offsets
// as written (relative to the CFF table or, for Subrs, to the Private DICT).
struct CffDict {
  bool has_charstrings = false;
  uint32_t charstrings = 0;
  uint32_t charset = 0; // 0 (ISOAdobe), 1, 2 (the expert sets) or an offset
  int32_t charstring_type = 2;
  bool has_private = false;
  uint32_t private_size = 0;
  uint32_t private_offset = 0;
  bool cid_keyed = false; // has ROS
  bool has_fd_array = false;
  uint32_t fd_array = 0;
  bool has_fd_select = false;
  uint32_t fd_select = 0;
  bool has_subrs = false;
  uint32_t subrs = 0;
  bool has_vstore = false; // CFF2 Top DICT: the item variation store
  uint32_t vstore = 0;
  uint32_t vsindex = 0; // CFF2 Private DICT: the data set charstrings blend with by default
  double default_width = 0.0;
  double nominal_width = 0.0;
};

// Parses the DICT in `span` into `dict` (fields of operators absent keep their values).
// False for a malformed DICT: a truncated number, more than 48 operands, a reserved byte,
// an operator without the operands it needs, or an offset or size that is negative or
// not a whole number.
bool parse_cff_dict(ByteView data, ByteSpan span, CffDict& dict);

// The same for a CFF2 DICT: up to 513 operands, the vstore and vsindex operators, and in
// a Private DICT blend, whose region count comes from the data set vsindex names in
// `store` (a blend naming a data set the store lacks is malformed).
bool parse_cff2_dict(ByteView data, ByteSpan span, const ItemVariationStore& store, CffDict& dict);
