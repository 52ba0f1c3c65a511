#include "runtime/ctype.h"

#include "runtime/export.h"

namespace dv {
namespace {

int in_range(int c, int first, int last) {
  return c >= first && c <= last ? 1 : 0;
}

} // namespace

DV_FUNCTION(int, isdigit, (int c)) {
  return in_range(c, '0', '9');
}

DV_FUNCTION(int, isxdigit, (int c)) {
  return in_range(c, '0', '9') | in_range(c, 'a', 'f') | in_range(c, 'A', 'F');
}

DV_FUNCTION(int, islower, (int c)) {
  return in_range(c, 'a', 'z');
}

DV_FUNCTION(int, isupper, (int c)) {
  return in_range(c, 'A', 'Z');
}

DV_FUNCTION(int, isalpha, (int c)) {
  return dv::islower(c) | dv::isupper(c);
}

DV_FUNCTION(int, isalnum, (int c)) {
  return dv::isalpha(c) | dv::isdigit(c);
}

DV_FUNCTION(int, isblank, (int c)) {
  return c == '\t' || c == ' ' ? 1 : 0;
}

DV_FUNCTION(int, isspace, (int c)) {
  return in_range(c, '\t', '\r') | (c == ' ' ? 1 : 0);
}

DV_FUNCTION(int, isprint, (int c)) {
  return in_range(c, ' ', '~');
}

DV_FUNCTION(int, tolower, (int c)) {
  return dv::isupper(c) ? c - 'A' + 'a' : c;
}

DV_FUNCTION(int, toupper, (int c)) {
  return dv::islower(c) ? c - 'a' + 'A' : c;
}

} // namespace dv
