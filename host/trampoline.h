// 32-bit code addresses for host functions. The program API table holds 32-bit slots,
// but this process's code lives above 4 GiB; each host function gets a small jump stub
// in an executable page mapped below 2 GiB.
#pragma once
#include <cstddef>
#include <cstdint>

namespace dvhost {

// Returns the 32-bit address of a stub that jumps to `function` (the same stub for the
// same function every time). Throws std::runtime_error when no low page can be mapped.
uint32_t code_address32(const void* function);

} // namespace dvhost
