// Fixture for the dvfs stream tests: the exported stream functions of the artifact and a
// few helpers over the stand-in's file store.
#pragma once

#include "artifact/artifact_fixture.h"
#include "dvfs/dvfs.h"

#include <string>

namespace dvtest {

using Stream = dv::DvfsFile;

class DvfsTest : public ArtifactTest {
protected:
  void SetUp() override;

  // dv_errno as the artifact exports it.
  int& error_number() { return *data<int>("dv_errno"); }

  // The host's copy of a file as text, "<absent>" when there is none.
  static std::string host_file(const std::string& name);
  static uint64_t host_writes() { return dvhost::file_store::counters().writes; }

  // Every byte left to read from `stream`.
  std::string read_rest(Stream* stream);
  size_t write(Stream* stream, const std::string& text);

  Stream* (*fopen)(const char*, const char*) = nullptr;
  Stream* (*freopen)(const char*, const char*, Stream*) = nullptr;
  int (*fclose)(Stream*) = nullptr;
  int (*fflush)(Stream*) = nullptr;
  size_t (*fread)(void*, size_t, size_t, Stream*) = nullptr;
  int (*getc)(Stream*) = nullptr;
  int (*ungetc)(int, Stream*) = nullptr;
  size_t (*fwrite)(const void*, size_t, size_t, Stream*) = nullptr;
  int (*fseek)(Stream*, int64_t, int) = nullptr;
  int64_t (*ftell)(Stream*) = nullptr;
  int (*feof)(Stream*) = nullptr;
  int (*ferror)(Stream*) = nullptr;
  void (*clearerr)(Stream*) = nullptr;
  int (*remove)(const char*) = nullptr;
  int (*rename)(const char*, const char*) = nullptr;
  bool (*read_entire_file)(const char*, void**, size_t*) = nullptr;
  bool (*write_entire_file)(const char*, const void*, size_t) = nullptr;
};

} // namespace dvtest
