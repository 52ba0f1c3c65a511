#include "host/trampoline.h"

#include <sys/mman.h>

#include <cstring>
#include <map>
#include <stdexcept>

namespace dvhost {
namespace {

constexpr size_t kPageSize = 0x1000;
constexpr size_t kStubSize = 16;

struct StubPage {
  unsigned char* base = nullptr;
  size_t used = kPageSize; // forces a fresh page on first use
};

StubPage gStubPage;
std::map<const void*, uint32_t> gStubs;

void open_new_page() {
  void* page = mmap(nullptr, kPageSize, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (page == MAP_FAILED)
    throw std::runtime_error("cannot map a trampoline page below 2 GiB");
  gStubPage.base = static_cast<unsigned char*>(page);
  gStubPage.used = 0;
}

// movabs rax, imm64 ; jmp rax ; padded with int3.
void write_stub(unsigned char* stub, const void* function) {
  uint64_t target = reinterpret_cast<uint64_t>(function);
  std::memset(stub, 0xCC, kStubSize);
  stub[0] = 0x48;
  stub[1] = 0xB8;
  std::memcpy(stub + 2, &target, sizeof target);
  stub[10] = 0xFF;
  stub[11] = 0xE0;
}

} // namespace

uint32_t code_address32(const void* function) {
  auto found = gStubs.find(function);
  if (found != gStubs.end())
    return found->second;
  if (gStubPage.used + kStubSize > kPageSize)
    open_new_page();
  unsigned char* stub = gStubPage.base + gStubPage.used;
  if (mprotect(gStubPage.base, kPageSize, PROT_READ | PROT_WRITE) != 0)
    throw std::runtime_error("cannot unprotect the trampoline page");
  write_stub(stub, function);
  if (mprotect(gStubPage.base, kPageSize, PROT_READ | PROT_EXEC) != 0)
    throw std::runtime_error("cannot protect the trampoline page");
  gStubPage.used += kStubSize;
  uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(stub));
  gStubs.emplace(function, address);
  return address;
}

} // namespace dvhost
