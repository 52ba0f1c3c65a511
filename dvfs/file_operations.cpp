// Whole-file operations straight on the host's file store.
#include "dvfs/dvfs.h"
#include "runtime/errno.h"
#include "runtime/export.h"
#include "runtime/malloc.h"
#include "runtime/memory.h"
#include "runtime/program_api.h"
#include "runtime/string.h"

namespace dv {
namespace {

int fail(int code) {
  dv_errno = code;
  return -1;
}

const void* host_bytes(const FileInfo& info) {
  return reinterpret_cast<const void*>(uintptr_t(info.address));
}

} // namespace

DV_FUNCTION(int, dvfs_remove, (const char* name)) {
  if (name == nullptr)
    return fail(kInvalidArgument);
  return dv_lua_app_delete_file(name) != 0 ? 0 : fail(kIoError);
}

DV_FUNCTION(int, dvfs_rename, (const char* old_name, const char* new_name)) {
  if (old_name == nullptr || new_name == nullptr)
    return fail(kInvalidArgument);
  FileInfo info{};
  if (dv_lua_app_stat_file(old_name, &info) == 0)
    return fail(kNoSuchFile);
  // Renaming a file to its own name changes nothing; deleting "the old one" would lose it.
  if (strcmp(old_name, new_name) == 0)
    return 0;
  // The old file is deleted only once its bytes are safe under the new name.
  if (dv_lua_app_write_file(new_name, host_bytes(info), info.size) == 0)
    return fail(kIoError);
  return dv_lua_app_delete_file(old_name) != 0 ? 0 : fail(kIoError);
}

DV_FUNCTION(bool, dvfs_read_entire_file, (const char* name, void** out_data, size_t* out_size)) {
  if (name == nullptr || out_data == nullptr || out_size == nullptr)
    return false;
  FileInfo info{};
  if (dv_lua_app_stat_file(name, &info) == 0)
    return false;
  void* block = malloc(info.size == 0 ? 1 : info.size);
  if (block == nullptr)
    return false;
  memcpy(block, host_bytes(info), info.size);
  *out_data = block;
  *out_size = info.size;
  return true;
}

DV_FUNCTION(bool, dvfs_write_entire_file, (const char* name, const void* data, size_t size)) {
  if (name == nullptr || (data == nullptr && size != 0))
    return false;
  // The host takes a 32-bit size; a larger block would be saved cut short.
  if (size > UINT32_MAX)
    return false;
  return dv_lua_app_write_file(name, data, uint32_t(size)) != 0;
}

} // namespace dv
