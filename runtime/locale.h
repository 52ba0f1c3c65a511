// The only locale is "C".
#pragma once

namespace dv {

// Laid out like the C library's struct lconv: ten strings, then eight one-byte fields.
struct LocaleConventions {
  const char* decimal_point;
  const char* thousands_sep;
  const char* grouping;
  const char* int_curr_symbol;
  const char* currency_symbol;
  const char* mon_decimal_point;
  const char* mon_thousands_sep;
  const char* mon_grouping;
  const char* positive_sign;
  const char* negative_sign;
  char int_frac_digits;
  char frac_digits;
  char p_cs_precedes;
  char p_sep_by_space;
  char n_cs_precedes;
  char n_sep_by_space;
  char p_sign_posn;
  char n_sign_posn;
};

extern LocaleConventions gLocale;

// Always "C", whatever is asked for.
const char* setlocale(int category, const char* name);
LocaleConventions* localeconv();

} // namespace dv
