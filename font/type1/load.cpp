// Reading the dictionaries of a Type 1 font program: the clear text's bounding box and
// encoding, then the decrypted private part's lenIV, subroutines and charstrings.
#include "font/type1/eexec.h"
#include "font/type1/font.h"
#include "font/type1/standard_encoding.h"
#include "font/type1/token_scan.h"
#include "font/type1/unicode_names.h"
#include "runtime/memory.h"

namespace {

// Where a subroutine or charstring lies in the private part, still encrypted.
struct EntrySpan {
  unsigned long start;
  unsigned long end;
};

// In the complete mode a lenIV of -1 marks the charstrings as not encrypted, as the format
// defines; the straight-line mode decrypts them all the same.
bool entries_are_plain(const Type1Font& font) {
  return font.mode == Type1Mode::kComplete && font.len_iv == -1;
}

unsigned long plain_size(const Type1Font& font, EntrySpan entry) {
  const unsigned long length = entry.end - entry.start;
  return entries_are_plain(font) ? length : decrypted_entry_size(length, font.len_iv);
}

// Appends an entry's plain bytes to `font.programs` (sized for all of them beforehand, so
// the views already made stay valid) and returns the view of them.
ByteView append_program(Type1Font& font, ByteView private_part, EntrySpan entry) {
  unsigned char* plain = font.programs.data + font.programs.size;
  const unsigned long size = plain_size(font, entry);
  if (entries_are_plain(font))
    dv::memcpy(plain, private_part.data + entry.start, size);
  else
    decrypt_entry(private_part, entry.start, entry.end, font.len_iv, plain);
  font.programs.size += size;
  return ByteView(plain, size);
}

void read_font_bbox(Type1Font& font, const ByteVector& clear_text) {
  unsigned long key = find_bytes(clear_text, "/FontBBox", 0);
  if (key == kNotFound)
    return;
  unsigned long position = key + 9;
  while (position < clear_text.size && clear_text.data[position] != '{' &&
         clear_text.data[position] != '[')
    ++position;
  if (position >= clear_text.size)
    return;
  ++position;
  double box[4];
  for (double& value : box) {
    if (!parse_ascii_double(clear_text, position, value))
      return;
  }
  double lly = box[1];
  double ury = box[3];
  font.ascent = ury > 0 ? ury : 0.0;
  font.descent = -lly > 0 ? -lly : 0.0;
}

// "dup <code> /<name>" entries anywhere in the clear text.
void read_encoding(Type1Font& font, const ByteVector& clear_text) {
  unsigned long position = 0;
  while (position < clear_text.size) {
    unsigned long dup = find_bytes(clear_text, "dup", position);
    if (dup == kNotFound)
      return;
    position = dup + 3;
    unsigned long cursor = position;
    int code = 0;
    if (!parse_ascii_int(clear_text, cursor, code) || static_cast<unsigned>(code) >= 256)
      continue;
    skip_spaces(clear_text, cursor);
    if (cursor >= clear_text.size || clear_text.data[cursor] != '/')
      continue;
    unsigned long name_start = cursor + 1;
    unsigned long name_end = name_token_end(clear_text, name_start, false);
    if (name_end == name_start)
      continue;
    font.encoding[code].assign(reinterpret_cast<const char*>(clear_text.data + name_start),
                               name_end - name_start);
    position = name_end;
  }
}

// "/Encoding StandardEncoding": the font names its characters through the standard
// encoding instead of "dup" entries of its own.
bool declares_standard_encoding(const ByteVector& clear_text) {
  unsigned long key = find_bytes(clear_text, "/Encoding", 0);
  if (key == kNotFound)
    return false;
  unsigned long position = key + 9;
  skip_spaces(clear_text, position);
  return matches_at(clear_text, position, "StandardEncoding");
}

void read_len_iv(Type1Font& font, ByteView private_part) {
  unsigned long key = find_bytes(private_part, "/lenIV", 0);
  if (key == kNotFound)
    return;
  unsigned long position = key + 6;
  int value = 0;
  if (parse_ascii_int(private_part, position, value))
    font.len_iv = value;
}

// Skips "RD" (in the complete mode also the format's other spelling, "-|") and exactly one
// following space; false when the token is not there.
bool skip_rd_token(ByteView data, unsigned long& position, Type1Mode mode) {
  skip_spaces(data, position);
  if (!has_token(data, position, 'R', 'D') &&
      !(mode == Type1Mode::kComplete && has_token(data, position, '-', '|')))
    return false;
  position += 2;
  if (position < data.size && data.data[position] == ' ')
    ++position;
  return true;
}

// One subroutine entry as read, before it takes its slot in the table.
struct SubrEntry {
  unsigned long index;
  EntrySpan bytes;
};

// One charstring entry as read: its name and its bytes.
struct CharstringEntry {
  EntrySpan name;
  EntrySpan bytes;
};

// Subroutine numbers may leave gaps, but the table never grows beyond a small multiple of
// the entries the font actually holds: a font cannot make the loader allocate more than a
// few slots per entry it spent bytes on, whatever numbers it writes.
unsigned long subr_table_limit(unsigned long entries) {
  return 2 * entries + 16;
}

bool read_subrs(const Type1Font& font, ByteView private_part, unsigned long subrs,
                unsigned long charstrings, dv::vector<SubrEntry>& entries) {
  unsigned long position = subrs;
  for (;;) {
    unsigned long dup = find_bytes(private_part, "dup", position);
    if (dup == kNotFound || dup >= charstrings)
      break;
    position = dup + 3;
    unsigned long cursor = position;
    int index = 0;
    int length = 0;
    if (!parse_ascii_int(private_part, cursor, index) ||
        !parse_ascii_int(private_part, cursor, length) || length < 0)
      continue;
    if (!skip_rd_token(private_part, cursor, font.mode))
      continue;
    if (private_part.size - cursor < static_cast<unsigned long>(length))
      return false;
    position = cursor + length;
    if (index < 0)
      continue;
    entries.push_back(SubrEntry{static_cast<unsigned long>(index), EntrySpan{cursor, position}});
  }
  return true;
}

bool read_charstrings(const Type1Font& font, ByteView private_part, unsigned long start,
                      dv::vector<CharstringEntry>& entries) {
  unsigned long position = start;
  while (position < private_part.size) {
    if (private_part.data[position] != '/') {
      ++position;
      continue;
    }
    unsigned long name_start = position + 1;
    unsigned long name_end = name_token_end(private_part, name_start, true);
    if (name_end == name_start) {
      position = name_start;
      continue;
    }
    unsigned long cursor = name_end;
    int length = 0;
    if (!parse_ascii_int(private_part, cursor, length) || length < 0) {
      position = cursor;
      continue;
    }
    if (!skip_rd_token(private_part, cursor, font.mode)) {
      position = cursor;
      continue;
    }
    if (private_part.size - cursor < static_cast<unsigned long>(length))
      return false;
    position = cursor + length;
    entries.push_back(
        CharstringEntry{EntrySpan{name_start, name_end}, EntrySpan{cursor, position}});
  }
  return true;
}

// Sizes the font's buffers for every subroutine that takes a slot and every charstring,
// so that filling them never moves what the views point to.
void reserve_programs(Type1Font& font, const dv::vector<SubrEntry>& subrs,
                      const dv::vector<CharstringEntry>& charstrings) {
  const unsigned long limit = subr_table_limit(subrs.size);
  unsigned long program_bytes = 0;
  unsigned long name_bytes = 0;
  for (const SubrEntry& entry : subrs) {
    if (entry.index < limit)
      program_bytes += plain_size(font, entry.bytes);
  }
  for (const CharstringEntry& entry : charstrings) {
    program_bytes += plain_size(font, entry.bytes);
    name_bytes += entry.name.end - entry.name.start;
  }
  font.programs.reserve(program_bytes);
  font.names.reserve(name_bytes);
}

// Places the subroutines in reading order (a later entry with the same number wins),
// leaving out numbers at or beyond the table limit.
void fill_subr_table(Type1Font& font, ByteView private_part, const dv::vector<SubrEntry>& entries) {
  const unsigned long limit = subr_table_limit(entries.size);
  unsigned long slots = 0;
  for (const SubrEntry& entry : entries) {
    if (entry.index < limit && entry.index >= slots)
      slots = entry.index + 1;
  }
  font.subrs.resize(slots);
  for (const SubrEntry& entry : entries) {
    if (entry.index < limit)
      font.subrs.data[entry.index] = append_program(font, private_part, entry.bytes);
  }
}

// Names the charstrings in reading order; a later entry with the same name wins.
void fill_charstrings(Type1Font& font, ByteView private_part,
                      const dv::vector<CharstringEntry>& entries) {
  font.charstrings.reserve(entries.size);
  for (const CharstringEntry& entry : entries) {
    const unsigned long length = entry.name.end - entry.name.start;
    char* name = reinterpret_cast<char*>(font.names.data + font.names.size);
    dv::memcpy(name, private_part.data + entry.name.start, length);
    font.names.size += length;
    font.charstrings[dv::string_view(name, length)] =
        append_program(font, private_part, entry.bytes);
  }
}

// The decrypted private part without its random prefix; empty when the font cannot be
// split or the section is too short. The clear text is read on the way and released
// with the encrypted copy.
ByteVector read_clear_text_and_private_part(Type1Font& font, ByteView bytes) {
  ByteVector clear_text;
  ByteVector encrypted;
  if (!split_font_program(bytes, font.mode, clear_text, encrypted))
    return ByteVector();
  ByteVector private_part = decrypt_private_part(encrypted);
  if (private_part.size == 0)
    return private_part;
  read_font_bbox(font, clear_text);
  read_encoding(font, clear_text);
  font.standard_encoding = declares_standard_encoding(clear_text);
  return private_part;
}

} // namespace

bool load_type1_font(Type1Font& font, ByteView bytes, Type1Mode mode) {
  font.mode = mode;
  const ByteVector private_part = read_clear_text_and_private_part(font, bytes);
  if (private_part.size == 0)
    return false;
  read_len_iv(font, private_part);
  unsigned long subrs = find_bytes(private_part, "/Subrs", 0);
  unsigned long charstrings = find_bytes(private_part, "/CharStrings", 0);
  // The complete mode also takes a font without subroutines (the format needs them only for
  // flex and hint replacement).
  const bool without_subrs = subrs == kNotFound && mode == Type1Mode::kComplete;
  if (charstrings == kNotFound || (!without_subrs && (subrs == kNotFound || charstrings <= subrs)))
    return false;
  dv::vector<SubrEntry> subr_entries;
  dv::vector<CharstringEntry> charstring_entries;
  if (!without_subrs && !read_subrs(font, private_part, subrs, charstrings, subr_entries))
    return false;
  if (!read_charstrings(font, private_part, charstrings, charstring_entries))
    return false;
  reserve_programs(font, subr_entries, charstring_entries);
  fill_subr_table(font, private_part, subr_entries);
  fill_charstrings(font, private_part, charstring_entries);
  if (font.charstrings.entries.size == 0)
    return false;
  if (mode == Type1Mode::kComplete) {
    if (font.standard_encoding)
      fill_standard_encoding(font.encoding);
    build_unicode_names(font);
  }
  return true;
}
