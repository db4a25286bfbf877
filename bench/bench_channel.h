// What the benchmark driver and its reader process share: a small block of
// named shared memory for the reader's result, and the events that start a
// read and report it done. The reader is a separate process because reading
// back in the process that placed the data returns its own handle, with no
// data moved.
#pragma once

#include <windows.h>

namespace bench {

const char kResultMappingName[] = "VarneloBenchReaderResult";
const char kReadEventName[] = "VarneloBenchReadNow";
const char kDoneEventName[] = "VarneloBenchReadDone";
const char kQuitEventName[] = "VarneloBenchQuit";

// Filled by the reader after each read of the format the driver asks for.
struct ReadResult {
    LONGLONG finished;  // QueryPerformanceCounter when the last unit was read
    DWORD length;       // units of the text up to its NUL or the block's end
    DWORD checksum;     // sum of those units, so that every one is read
    BOOL found;         // the clipboard opened and held the text
    UINT format;        // CF_OEMTEXT or CF_UNICODETEXT, set by the driver
};

}  // namespace bench
