// Character classes of the "C" locale. Arguments are byte values; every class answers
// 0 or 1, and values outside 0-255 (such as -1) belong to no class.
#pragma once

namespace dv {

int isdigit(int c);
int isxdigit(int c);
int islower(int c);
int isupper(int c);
int isalpha(int c);
int isalnum(int c);
int isblank(int c);
int isspace(int c);
int isprint(int c);
int tolower(int c);
int toupper(int c);

} // namespace dv
