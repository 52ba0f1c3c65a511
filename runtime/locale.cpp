#include "runtime/locale.h"

#include "runtime/export.h"

namespace dv {

LocaleConventions gLocale = {".", "", "", "", "", ".", "", "", "", "", 0, 0, 0, 0, 0, 0, 0, 0};

DV_FUNCTION(const char*, setlocale, (int, const char*)) {
  return "C";
}

DV_FUNCTION(LocaleConventions*, localeconv, ()) {
  return &gLocale;
}

} // namespace dv
