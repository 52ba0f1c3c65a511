#include "host/console.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>

namespace dvhost {
namespace {

struct ConsoleState {
  std::vector<std::string> lines;
  std::deque<std::string> input;
  std::vector<console::ReadCall> reads;
  bool capture = true;
  bool print = false;
  bool read_stdin = false;
};

ConsoleState& state() {
  static ConsoleState* console = new ConsoleState; // never destroyed: see host_heap.cpp
  return *console;
}

bool next_input_line(std::string& line, const char* prompt) {
  if (!state().input.empty()) {
    line = state().input.front();
    state().input.pop_front();
    return true;
  }
  if (!state().read_stdin)
    return false;
  if (prompt)
    std::cout << prompt << std::flush;
  if (!std::getline(std::cin, line))
    return false;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.pop_back();
  return true;
}

} // namespace

void console_write_slot(const char* line) {
  std::string text = line ? line : "";
  if (state().capture)
    state().lines.push_back(text);
  if (state().print)
    std::cout << text << '\n' << std::flush;
}

int console_read_slot(char* buffer, uint32_t capacity, const char* prompt, uint8_t flag) {
  state().reads.push_back({prompt ? prompt : "", prompt == nullptr, capacity, flag});
  std::string line;
  if (!buffer || capacity == 0 || !next_input_line(line, prompt))
    return 0;
  size_t length = line.size() < capacity - 1 ? line.size() : capacity - 1;
  std::memcpy(buffer, line.data(), length);
  buffer[length] = '\0';
  return 1;
}

namespace console {

const std::vector<std::string>& lines() {
  return state().lines;
}
void clear_lines() {
  state().lines.clear();
}
void set_capture(bool capture) {
  state().capture = capture;
}
void set_print(bool print) {
  state().print = print;
}
void queue_input(const std::string& line) {
  state().input.push_back(line);
}
void set_read_stdin(bool read_stdin) {
  state().read_stdin = read_stdin;
}
const std::vector<ReadCall>& reads() {
  return state().reads;
}

void reset() {
  ConsoleState& console = state();
  console.lines.clear();
  console.input.clear();
  console.reads.clear();
  console.capture = true;
  console.print = false;
  console.read_stdin = false;
}

} // namespace console
} // namespace dvhost
