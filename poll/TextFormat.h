// printf-style formatting into a std::string for the Qt-free views.
#pragma once

#include <string>

#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string FormatText(const char* format, ...);
