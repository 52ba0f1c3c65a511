// Whether this test binary runs under AddressSanitizer, where tests that sweep whole fonts
// through slow paths take a spread-out subset instead.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DV_TEST_SANITIZED 1
#endif
#endif

namespace testsupport {

#if defined(DV_TEST_SANITIZED)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

} // namespace testsupport
