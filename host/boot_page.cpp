#include "host/boot_page.h"

#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace dvhost {
namespace {

bool gBootPageMapped = false;

std::string mmap_min_addr_setting() {
  std::ifstream in("/proc/sys/vm/mmap_min_addr");
  std::string value;
  if (!(in >> value))
    return "unknown";
  return value;
}

void check_range(uintptr_t address, size_t length) {
  if (address < kBootPageAddress || length > kBootPageSize ||
      address - kBootPageAddress > kBootPageSize - length)
    throw std::out_of_range("boot page access outside 0x6000-0x6FFF");
}

unsigned char* boot_bytes(uintptr_t address, size_t length) {
  map_boot_page();
  check_range(address, length);
  return reinterpret_cast<unsigned char*>(address);
}

} // namespace

void map_boot_page() {
  if (gBootPageMapped)
    return;
  void* wanted = reinterpret_cast<void*>(kBootPageAddress);
  void* page = mmap(wanted, kBootPageSize, PROT_READ | PROT_WRITE,
                    MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (page != wanted) {
    int error = errno;
    if (page != MAP_FAILED)
      munmap(page, kBootPageSize);
    throw std::runtime_error("cannot map the boot page at 0x6000 (" +
                             std::string(std::strerror(error)) +
                             "); the stand-in needs vm.mmap_min_addr <= 0x6000 (24576), it is " +
                             mmap_min_addr_setting() + ": run `sysctl -w vm.mmap_min_addr=4096`");
  }
  gBootPageMapped = true;
}

uint32_t read_boot_u32(uintptr_t address) {
  uint32_t value;
  std::memcpy(&value, boot_bytes(address, sizeof value), sizeof value);
  return value;
}

uint64_t read_boot_u64(uintptr_t address) {
  uint64_t value;
  std::memcpy(&value, boot_bytes(address, sizeof value), sizeof value);
  return value;
}

void write_boot_u32(uintptr_t address, uint32_t value) {
  std::memcpy(boot_bytes(address, sizeof value), &value, sizeof value);
}

void write_boot_u64(uintptr_t address, uint64_t value) {
  std::memcpy(boot_bytes(address, sizeof value), &value, sizeof value);
}

void write_boot_bytes(uintptr_t address, const void* bytes, size_t length) {
  if (length != 0)
    std::memcpy(boot_bytes(address, length), bytes, length);
}

void clear_boot_range(uintptr_t begin, uintptr_t end) {
  if (end > begin)
    std::memset(boot_bytes(begin, end - begin), 0, end - begin);
}

} // namespace dvhost
