#include "artifact/dvfs_fixture.h"

namespace dvtest {

void DvfsTest::SetUp() {
  ArtifactTest::SetUp();
  fopen = fn<Stream*(const char*, const char*)>("dvfs_fopen");
  freopen = fn<Stream*(const char*, const char*, Stream*)>("dvfs_freopen");
  fclose = fn<int(Stream*)>("dvfs_fclose");
  fflush = fn<int(Stream*)>("dvfs_fflush");
  fread = fn<size_t(void*, size_t, size_t, Stream*)>("dvfs_fread");
  getc = fn<int(Stream*)>("dvfs_getc");
  ungetc = fn<int(int, Stream*)>("dvfs_ungetc");
  fwrite = fn<size_t(const void*, size_t, size_t, Stream*)>("dvfs_fwrite");
  fseek = fn<int(Stream*, int64_t, int)>("dvfs_fseek");
  ftell = fn<int64_t(Stream*)>("dvfs_ftell");
  feof = fn<int(Stream*)>("dvfs_feof");
  ferror = fn<int(Stream*)>("dvfs_ferror");
  clearerr = fn<void(Stream*)>("dvfs_clearerr");
  remove = fn<int(const char*)>("dvfs_remove");
  rename = fn<int(const char*, const char*)>("dvfs_rename");
  read_entire_file = fn<bool(const char*, void**, size_t*)>("dvfs_read_entire_file");
  write_entire_file = fn<bool(const char*, const void*, size_t)>("dvfs_write_entire_file");
  error_number() = 0;
}

std::string DvfsTest::host_file(const std::string& name) {
  auto bytes = dvhost::file_store::get(name);
  if (!bytes)
    return "<absent>";
  return std::string(bytes->begin(), bytes->end());
}

std::string DvfsTest::read_rest(Stream* stream) {
  std::string text;
  for (int byte = getc(stream); byte != -1; byte = getc(stream))
    text.push_back(static_cast<char>(byte));
  return text;
}

size_t DvfsTest::write(Stream* stream, const std::string& text) {
  return fwrite(text.data(), 1, text.size(), stream);
}

} // namespace dvtest
