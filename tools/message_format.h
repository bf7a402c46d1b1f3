// Fills in one of the tools' fixed texts (tools/tool_messages.h, tools/song/song_messages.h),
// which are printf formats, and returns the text. Under GCC and Clang the compiler checks the
// arguments of every call against the format, as it does for printf itself.
#pragma once

#include <cstdio>  // defines the MinGW format flavour checked below
#include <string>

#if defined(__MINGW_PRINTF_FORMAT)
#define TOOL_PRINTF_FORMAT(formatAt, firstAt) __attribute__((format(__MINGW_PRINTF_FORMAT, formatAt, firstAt)))
#elif defined(__GNUC__)
#define TOOL_PRINTF_FORMAT(formatAt, firstAt) __attribute__((format(printf, formatAt, firstAt)))
#else
#define TOOL_PRINTF_FORMAT(formatAt, firstAt)
#endif

std::string formatMessage(const char* format, ...) TOOL_PRINTF_FORMAT(1, 2);
