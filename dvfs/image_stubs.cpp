// The disk-image and virtual-file layer is not part of this library: files live in the
// host's store. These entry points stay for callers built against it and do no work.
#include "dvfs/dvfs.h"
#include "runtime/export.h"

namespace dv {

DV_FUNCTION(int, dvfs_mount_image, (const void*, size_t)) {
  return 0;
}
DV_FUNCTION(void, dvfs_unmount, ()) {}
DV_FUNCTION(bool, dvfs_is_mounted, ()) {
  return true;
}
DV_FUNCTION(int, dvfs_register_virtual_file, (const char*, const void*, size_t)) {
  return 0;
}
DV_FUNCTION(void, dvfs_clear_virtual_files, ()) {}
DV_FUNCTION(const void*, dvfs_image_data, ()) {
  return nullptr;
}
DV_FUNCTION(size_t, dvfs_image_size, ()) {
  return 0;
}
DV_FUNCTION(int, dvfs_export_image, (const char*)) {
  return 0;
}

} // namespace dv
