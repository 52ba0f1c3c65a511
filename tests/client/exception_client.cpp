// A module of the boot environment that uses exceptions: compiled with the SjLj model,
// linked against nothing but the library, whose runtime throws, dispatches, catches and
// destroys everything here. The test drives it through the extern "C" entry points.

extern "C" void __cxa_throw(void* object, void* type, void (*destructor)(void*));

namespace client {

static int gThrownDestroyed = 0;
static int gLocalsDestroyed = 0;

struct Problem {
  int code;
};

struct DetailedProblem : Problem {
  explicit DetailedProblem(int value) : Problem{value} {}
  DetailedProblem(const DetailedProblem& other) : Problem{other.code} {}
  ~DetailedProblem() { ++gThrownDestroyed; }
};

struct Unrelated {
  int value;
};

struct Local {
  ~Local() { ++gLocalsDestroyed; }
};

[[gnu::noinline]] void fail(int code) {
  throw DetailedProblem(code);
}

[[gnu::noinline]] void fail_inside_locals(int code) {
  Local first;
  Local second;
  fail(code);
}

[[gnu::noinline]] void fail_two_frames_deep(int code) {
  Local outer;
  fail_inside_locals(code);
}

[[gnu::noinline]] void escape_noexcept() noexcept {
  fail(13);
}

} // namespace client

using namespace client;

extern "C" {

[[gnu::visibility("default")]] void* client_cxa_throw() {
  return reinterpret_cast<void*>(&__cxa_throw);
}

[[gnu::visibility("default")]] int client_thrown_destroyed() {
  return gThrownDestroyed;
}

[[gnu::visibility("default")]] int client_locals_destroyed() {
  return gLocalsDestroyed;
}

[[gnu::visibility("default")]] void client_reset() {
  gThrownDestroyed = 0;
  gLocalsDestroyed = 0;
}

// A derived class caught through its base: returns the code it carried.
[[gnu::visibility("default")]] int client_catch_by_base(int code) {
  try {
    fail(code);
  } catch (const Problem& problem) {
    return problem.code;
  }
  return -1;
}

// catch (...) takes anything, whatever clauses come before it.
[[gnu::visibility("default")]] int client_catch_all() {
  try {
    throw Unrelated{5};
  } catch (const Problem&) {
    return -1;
  } catch (...) {
    return 1;
  }
}

// Locals of the two abandoned frames are destroyed on the way to the handler.
[[gnu::visibility("default")]] int client_unwind_locals(int code) {
  try {
    fail_two_frames_deep(code);
  } catch (const DetailedProblem& problem) {
    return problem.code;
  }
  return -1;
}

// The inner handler rethrows to the outer one; the object survives until the outer
// handler ends.
[[gnu::visibility("default")]] int client_rethrow(int code) {
  int inner_handlers = 0;
  try {
    try {
      fail(code);
    } catch (const Problem&) {
      ++inner_handlers;
      Local during_rethrow;
      throw;
    }
  } catch (const DetailedProblem& problem) {
    if (gThrownDestroyed != 0)
      return -2;
    return problem.code + 100 * inner_handlers;
  }
  return -1;
}

// Nested try blocks: the inner one catches its own type and lets another pass to the
// outer one; returns inner catches * 10 + outer catches.
[[gnu::visibility("default")]] int client_nested(int rounds) {
  int inner = 0;
  int outer = 0;
  for (int round = 0; round < rounds; ++round) {
    try {
      try {
        if (round % 2 == 0)
          fail(round);
        throw Unrelated{round};
      } catch (const DetailedProblem&) {
        ++inner;
      }
    } catch (const Unrelated&) {
      ++outer;
    }
  }
  return inner * 10 + outer;
}

// An exception leaving a noexcept function ends in terminate.
[[gnu::visibility("default")]] void client_escape_noexcept() {
  escape_noexcept();
}

} // extern "C"
