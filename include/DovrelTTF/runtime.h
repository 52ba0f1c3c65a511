// Everything a module may call beside the font functions: the console, the C library
// (memory, strings, formatted output, number parsing, math) and dvfs file streams.
#pragma once

#include "DovrelTTF/console.h"
#include "DovrelTTF/dvfs.h"
#include "DovrelTTF/libc.h"
