// Font collections ("ttcf"): one file holding several sfnt faces that share tables. Each
// face has its own table directory; table offsets count from the start of the file, so a
// face loads like a single font whose directory does not start at byte 0.
#pragma once
#include <stdint.h>

#include "containers/vector.h"
#include "font/font_bytes.h"

constexpr uint32_t kCollectionTag = 0x74746366; // "ttcf"

// True when the data starts with a collection header.
bool is_collection(ByteView data);

// The number of faces the collection header lists, 0 when it is cut short (or the data is
// no collection).
uint32_t collection_face_count(ByteView data);

// Where the table directory of face `face` starts. False when the data is no collection,
// its header or offset list is cut short, or `face` is past the last face.
bool collection_face_directory(ByteView data, uint32_t face, uint32_t& directory);

// The table directory of face `face` of any sfnt file: a collection's face as above, and
// for a single font 0 when `face` is 0 (its only face), else false.
bool sfnt_face_directory(ByteView data, uint32_t face, uint32_t& directory);
