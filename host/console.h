// The host console behind the write-line and read-line slots. Output lines are captured
// (the default, for tests) and/or printed to stdout; input lines come from a queue
// (the default) or from stdin.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dvhost {

void console_write_slot(const char* line);
int console_read_slot(char* buffer, uint32_t capacity, const char* prompt, uint8_t flag);

namespace console {

// Captured output lines, in order (without line endings).
const std::vector<std::string>& lines();
void clear_lines();
void set_capture(bool capture);
void set_print(bool print);

// Input: queued lines are handed out first; with stdin enabled, further lines are read
// from stdin (the prompt is printed first). With neither, the read slot answers 0.
void queue_input(const std::string& line);
void set_read_stdin(bool read_stdin);

// Every read-line call as the host saw it.
struct ReadCall {
  std::string prompt; // "" for a null prompt
  bool prompt_was_null;
  uint32_t capacity;
  uint8_t flag;
};
const std::vector<ReadCall>& reads();

// Back to the defaults: capture on, print off, queue and stdin empty/off, records cleared.
void reset();

} // namespace console
} // namespace dvhost
