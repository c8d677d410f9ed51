#include "poll/TextFormat.h"

#include <cstdarg>
#include <cstdio>

std::string FormatText(const char* format, ...) {
  char buffer[300];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}
