// The hostile campaign: seeded mutations of real fonts loaded into the real artifact in
// the stand-in with a 64 MiB host heap: DejaVu and Liberation TrueType and NimbusSans as
// PFB and PFA through the standard loader, and NimbusRoman as PFB, PFA and clear text with
// binary eexec data through the extended loader's complete Type 1 option, and NimbusSans as
// OpenType CFF and a collection of it and Liberation Sans through every option; and each of
// these borrowed in place (DV_TTF_LOAD_BORROW) from read-only memory that ends at an
// unmapped page, so that a write to the caller's bytes or a read past them crashes the
// case. Each case loads,
// renders a mixed text at a few sizes with resizes between, and frees, in a child process
// of its own; it fails on a crash, a halt, more than kCaseCpuSeconds of CPU, a host block
// left behind or heap misuse.
//
// A fixed number of seeded cases runs with the artifact tests. More:
//   make hostile CASES=10000 SEED=7
// (DV_HOSTILE_CASES and DV_HOSTILE_SEED, for each of the two campaigns; DV_HOSTILE_FIRST
// starts at a later case, so that one campaign can be split over processes; failing inputs
// are written to DV_HOSTILE_FINDINGS).
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "artifact/artifact_fixture.h"
#include "artifact/hostile_fonts.h"
#include "support/required_package.h"

namespace {

constexpr uint64_t kDefaultCases = 40;
constexpr uint64_t kDefaultSeed = 1;
constexpr rlim_t kCaseCpuSeconds = 10;
constexpr size_t kHeapMegabytes = 64;
constexpr int64_t kImageLimit = int64_t{1} << 24;
constexpr unsigned int kCompleteType1 = 4;          // the extended loaders' option
constexpr unsigned int kEveryOption = 15 | 16 | 64; // formats, kerning, hinting, character maps
constexpr unsigned int kBorrow = 32;

// A copy of some bytes in read-only memory, its last byte just before an unmapped page.
class GuardedBytes {
public:
  explicit GuardedBytes(const hostile::Bytes& bytes) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t pages = (bytes.size() + page - 1) / page;
    length_ = (pages + 1) * page;
    void* mapping =
        mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
      std::abort();
    mapping_ = static_cast<uint8_t*>(mapping);
    data_ = mapping_ + pages * page - bytes.size();
    std::copy(bytes.begin(), bytes.end(), data_);
    mprotect(mapping_, pages * page, PROT_READ);
    mprotect(mapping_ + pages * page, page, PROT_NONE);
  }
  ~GuardedBytes() { munmap(mapping_, length_); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;
  const uint8_t* data() const { return data_; }

private:
  uint8_t* mapping_ = nullptr;
  uint8_t* data_ = nullptr;
  size_t length_ = 0;
};

// Latin, Greek, Cyrillic, CJK, block elements, an emoji, ligature candidates, a carriage
// return and broken UTF-8, over three lines.
constexpr const char* kMixedText =
    "Hello, W\xC3\xB6rld! fi fl \xE2\x80\x94 \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 "
    "\xD0\x96\xD0\xB0\xD1\x80 \xE2\x82\xAC \xC2\xBD\n"
    "0123456789 {[(<>)]} \xE4\xB8\xAD \xE2\x96\x80\xE2\x96\x84\xE2\x96\x88\xE2\x96\x93 "
    "\xF0\x9F\x98\x80\r\n"
    "\xC3( \xFF \xE2\x82 AVAWAy Tj ~";

enum Outcome : int {
  kClean = 0,
  kRefused = 1,
  kHalt = 10,
  kLeak = 11,
  kMisuse = 12,
  kBadImage = 13
};

uint64_t setting(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != 0 ? std::strtoull(value, nullptr, 10) : fallback;
}

const char* extension(hostile::FontForm form) {
  switch (form) {
  case hostile::FontForm::kTrueType:
    return "ttf";
  case hostile::FontForm::kPfb:
    return "pfb";
  case hostile::FontForm::kT1:
    return "t1";
  case hostile::FontForm::kOpenTypeCff:
    return "otf";
  case hostile::FontForm::kCollection:
    return "ttc";
  default:
    return "pfa";
  }
}

class HostileCampaign : public dvtest::ArtifactTest {
protected:
  struct Image {
    int32_t width, height;
    void* pixels;
  };

  // Loads (through the extended loader when `options` is not 0), renders at four sizes
  // with resizes between, frees. False when an image broke the image limit; `loaded` tells
  // whether the library took the font.
  // With kBorrow the library reads a guarded read-only copy of the bytes in place.
  bool exercise(const hostile::Bytes& bytes, unsigned int options, bool& loaded) {
    if ((options & kBorrow) != 0) {
      const GuardedBytes guarded(bytes);
      return exercise_at(guarded.data(), bytes.size(), options, loaded);
    }
    return exercise_at(bytes.data(), bytes.size(), options, loaded);
  }

  bool exercise_at(const uint8_t* bytes, size_t length, unsigned int options, bool& loaded) {
    void* font = options == 0
                     ? fn<void*(const void*, unsigned long, float)>(
                           "_Z23dv_ttf_font_load_memoryPKvmf")(bytes, length, 16.0f)
                     : fn<void*(const void*, unsigned long, float, unsigned int)>(
                           "_Z26dv_ttf_font_load_memory_exPKvmfj")(bytes, length, 16.0f, options);
    loaded = font != nullptr;
    if (font == nullptr) {
      return true;
    }
    bool images_ok = render(font);
    for (float size : {40.0f, 120.0f, 7.0f}) {
      fn<void(void*, float)>("_Z18dv_ttf_font_resizePvf")(font, size);
      images_ok = render(font) && images_ok;
    }
    fn<void(void*)>("_Z16dv_ttf_font_freePv")(font);
    return images_ok;
  }

  bool render(void* font) {
    auto* image = fn<Image*(void*, const char*, int, int, int, double)>(
        "_Z18dv_ttf_font_renderPvPKciiid")(font, kMixedText, 10, 20, 30, 255.0);
    if (image == nullptr) {
      return true;
    }
    const bool within = image->width >= 0 && image->height >= 0 &&
                        int64_t{image->width} * image->height <= kImageLimit;
    fn<void(void*)>("_ZdaPv")(image->pixels);
    fn<void(void*)>("_ZdlPv")(image);
    return within;
  }

  // Runs one case in this (child) process and says how it went.
  Outcome run_case(const hostile::Bytes& bytes, unsigned int options) {
    const size_t blocks = dvhost::host_heap::live_blocks();
    bool images_ok = true;
    bool loaded = false;
    if (halts([&] { images_ok = exercise(bytes, options, loaded); })) {
      return kHalt;
    }
    if (dvhost::host_heap::live_blocks() != blocks) {
      return kLeak;
    }
    if (!dvhost::host_heap::errors().empty()) {
      return kMisuse;
    }
    if (!images_ok) {
      return kBadImage;
    }
    return loaded ? kClean : kRefused;
  }

  // Runs one case in a child process with a CPU limit; the failure's name, or "" when
  // the case ran clean.
  std::string run_isolated(const hostile::Bytes& bytes, unsigned int options) {
    const pid_t child = fork();
    if (child == 0) {
      const rlimit cpu{kCaseCpuSeconds, kCaseCpuSeconds + 1};
      setrlimit(RLIMIT_CPU, &cpu);
      _exit(run_case(bytes, options));
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) {
      return WTERMSIG(status) == SIGXCPU ? "cpu-overrun" : "crash";
    }
    switch (WEXITSTATUS(status)) {
    case kClean:
      return "";
    case kRefused:
      return "refused";
    case kHalt:
      return "halt";
    case kLeak:
      return "leak";
    case kMisuse:
      return "heap-misuse";
    case kBadImage:
      return "image-over-limit";
    default:
      return "exit-" + std::to_string(WEXITSTATUS(status));
    }
  }

  // The options that load `font`: its face of a collection picked.
  static unsigned int with_face(unsigned int options, const hostile::SourceFont& font) {
    return options | font.face << 16;
  }

  // Runs the seeded cases over mutations of `fonts`, loaded with `options` (0: the
  // standard loader).
  void campaign(const std::vector<hostile::SourceFont>& fonts, unsigned int options) {
    const uint64_t cases = setting("DV_HOSTILE_CASES", kDefaultCases);
    const uint64_t seed = setting("DV_HOSTILE_SEED", kDefaultSeed);
    const uint64_t first = setting("DV_HOSTILE_FIRST", 0);
    const char* findings = std::getenv("DV_HOSTILE_FINDINGS");
    set_host_heap_mb(kHeapMegabytes);

    // The unmutated fonts first, in this process: they must run clean and leave nothing.
    for (const hostile::SourceFont& font : fonts) {
      const hostile::Bytes bytes = hostile::unmutated(font);
      bool loaded = false;
      ASSERT_TRUE(exercise(bytes, with_face(options, font), loaded)) << font.path;
      ASSERT_TRUE(loaded) << font.path;
      ASSERT_EQ(run_isolated(bytes, with_face(options, font)), "") << font.path;
    }
    EXPECT_EQ(leaked_blocks(), 0);

    std::map<std::string, uint64_t> failures;
    uint64_t loaded = 0;
    uint64_t refused = 0;
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t index = first; index < first + cases; ++index) {
      if (index > first && (index - first) % 1000 == 0) {
        std::printf("[ hostile  ] %llu cases run\n",
                    static_cast<unsigned long long>(index - first));
        std::fflush(stdout);
      }
      size_t font = 0;
      const hostile::Bytes bytes = hostile::mutated_case(fonts, seed, index, &font);
      const std::string failure = run_isolated(bytes, with_face(options, fonts[font]));
      if (failure.empty() || failure == "refused") {
        ++(failure.empty() ? loaded : refused);
        continue;
      }
      ++failures[failure];
      ADD_FAILURE() << failure << " in case " << index << " of seed " << seed << " ("
                    << fonts[font].path << ")";
      if (findings != nullptr) {
        std::filesystem::create_directories(findings);
        const std::string name = std::string(findings) + "/options" + std::to_string(options) +
                                 "-seed" + std::to_string(seed) + "-case" + std::to_string(index) +
                                 "-" + failure + "." + extension(fonts[font].form);
        std::ofstream(name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    uint64_t failed = 0;
    for (const auto& [kind, count] : failures) {
      failed += count;
      std::printf("[ hostile  ] %s: %llu\n", kind.c_str(), static_cast<unsigned long long>(count));
    }
    std::printf(
        "[ hostile  ] cases %llu to %llu, seed %llu: %llu loaded and ran clean, %llu refused "
        "cleanly, %llu failed, %.1f s\n",
        static_cast<unsigned long long>(first), static_cast<unsigned long long>(first + cases - 1),
        static_cast<unsigned long long>(seed), static_cast<unsigned long long>(loaded),
        static_cast<unsigned long long>(refused), static_cast<unsigned long long>(failed), seconds);
  }
};

} // namespace

TEST_F(HostileCampaign, MutatedRealFontsNeverCrashHaltOverrunOrLeak) {
  const std::vector<hostile::SourceFont> fonts = hostile::installed_fonts();
  if (fonts.empty()) {
    DV_MISSING_PACKAGE("every real font",
                       "fonts-dejavu-core, fonts-liberation2 and fonts-urw-base35");
  }
  campaign(fonts, 0);
}

// The complete Type 1 mode's operators (curves, flex, hint replacement, seac, div) and the
// binary eexec form under the same mutations.
TEST_F(HostileCampaign, MutatedType1FontsInTheCompleteModeNeverCrashHaltOverrunOrLeak) {
  const std::vector<hostile::SourceFont> fonts = hostile::installed_complete_type1_fonts();
  if (fonts.empty()) {
    DV_MISSING_PACKAGE("NimbusRoman-Regular.pfb", "fonts-urw-base35");
  }
  campaign(fonts, kCompleteType1);
}

// OpenType CFF (INDEXes, DICTs, Type 2 charstrings) and collections under the same
// mutations, through every option of the extended loader.
TEST_F(HostileCampaign, MutatedOpenTypeCffAndCollectionsNeverCrashHaltOverrunOrLeak) {
  const std::vector<hostile::SourceFont> fonts = hostile::installed_cff_fonts();
  if (fonts.empty()) {
    DV_MISSING_PACKAGE("NimbusSans-Regular.otf and LiberationSans-Regular.ttf",
                       "fonts-urw-base35 and fonts-liberation2");
  }
  campaign(fonts, kEveryOption);
}

// Every campaign again with the bytes borrowed from guarded read-only memory: the library
// never writes to them and never reads past them.
TEST_F(HostileCampaign, BorrowedBytesOfMutatedFontsAreNeverWrittenOrOverrun) {
  const std::vector<hostile::SourceFont> fonts = hostile::installed_fonts();
  const std::vector<hostile::SourceFont> type1 = hostile::installed_complete_type1_fonts();
  const std::vector<hostile::SourceFont> cff = hostile::installed_cff_fonts();
  if (fonts.empty() || type1.empty() || cff.empty()) {
    DV_MISSING_PACKAGE("every real font",
                       "fonts-dejavu-core, fonts-liberation2 and fonts-urw-base35");
  }
  campaign(fonts, kBorrow);
  campaign(type1, kCompleteType1 | kBorrow);
  campaign(cff, kEveryOption | kBorrow);
}
