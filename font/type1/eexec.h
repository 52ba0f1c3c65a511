// The containers and ciphers of a Type 1 font program: the PFB segments or the text form
// with its hexadecimal (or binary) eexec section, the eexec cipher over the private part
// and the charstring cipher over each subroutine and charstring.
#pragma once
#include "containers/vector.h"
#include "font/type1/font.h"

// Splits a font program into its clear text and its still encrypted eexec section: PFB
// segments when it starts with the segment marker, else the text form (whose binary eexec
// data only the complete mode takes). False when either part is missing or empty.
bool split_font_program(ByteView bytes, Type1Mode mode, ByteVector& clear_text,
                        ByteVector& encrypted);

// The eexec cipher (key 55665) without the four random bytes it starts with, decrypted in
// the section's own storage; empty when the section holds no more than those.
ByteVector decrypt_private_part(ByteVector encrypted);

// The size of an entry of `length` bytes once decrypted: without its first `len_iv` bytes
// when `len_iv` is positive.
unsigned long decrypted_entry_size(unsigned long length, int len_iv);
// The charstring cipher (key 4330) over data[start, end) into `plain`, which has room for
// decrypted_entry_size(end - start, len_iv) bytes.
void decrypt_entry(ByteView data, unsigned long start, unsigned long end, int len_iv,
                   unsigned char* plain);
