#include "tools/message_format.h"

#include <cstdarg>

std::string formatMessage(const char* format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (size > 0) {
        // The string's own terminator takes the zero vsnprintf writes after the text.
        text.resize(static_cast<size_t>(size));
        std::vsnprintf(&text[0], text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}
