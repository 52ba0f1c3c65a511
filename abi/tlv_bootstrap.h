// Thread-local bootstrap stub: the library has no thread-local variables; the entry
// exists so that references to it resolve.
#pragma once

namespace dv {

void* tlv_bootstrap() noexcept;

} // namespace dv
