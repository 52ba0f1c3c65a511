// Personality routines: present for compiled frames to name, never called (the
// dispatcher reads the exception tables itself).
#pragma once

namespace dv {

// Exported as __gxx_personality_sj0 and __gxx_personality_v0; both return 0.
int gxx_personality_sj0() noexcept;
int gxx_personality_v0() noexcept;

} // namespace dv
