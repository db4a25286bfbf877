// Words written into a status text of known size: ASCII words, numbers and
// the separator between the status bar's items, cut at the buffer's end and
// always NUL-terminated.
#pragma once

#include <cstddef>

#include "platform/win32_door.h"

struct StatusWords {
    WCHAR* text;
    size_t size;  // units, the NUL's included; at least 1
    size_t at;
};

// Starts an empty text in `text`, of `size` units (at least 1).
StatusWords StartStatusWords(WCHAR* text, size_t size);

void AppendWords(StatusWords* words, const char* ascii);
void AppendNumber(StatusWords* words, size_t number);

// " · ", between two items.
void AppendSeparator(StatusWords* words);
