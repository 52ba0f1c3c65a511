// C allocation: forwarded to the host's memory slots.
#pragma once
#include <stddef.h>

namespace dv {

void* malloc(size_t size);
void free(void* block);
void* realloc(void* block, size_t size);

} // namespace dv
