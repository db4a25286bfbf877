// The benchmark's second process: each time the driver asks, it opens the
// clipboard, reads the OEM text in full and reports when it was done.
//
// usage: clip_reader (started by clip_bench, which creates the channel)
#include <windows.h>

#include "bench/bench_channel.h"

namespace {

// Only ends a wait that would otherwise hang; the driver reports it.
const DWORD kOpenTimeoutMs = 120000;
// Another program (the viewer, or Wine's clipboard bridge) may hold the
// clipboard for a moment after a change; opening is retried this often.
const DWORD kOpenRetryMs = 1;

const int kFailed = 1;

bool OpenClipboardWhenFree() {
    const DWORD start = GetTickCount();
    while (!OpenClipboard(nullptr)) {
        if (GetTickCount() - start >= kOpenTimeoutMs) return false;
        Sleep(kOpenRetryMs);
    }
    return true;
}

// Sums every byte up to the NUL or the block's end, never past it.
void ReadBlockInFull(HANDLE block, bench::ReadResult* result) {
    const unsigned char* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    if (!bytes) return;
    const SIZE_T size = GlobalSize(block);
    DWORD checksum = 0;
    SIZE_T length = 0;
    while (length < size && bytes[length] != 0) checksum += bytes[length++];
    GlobalUnlock(block);
    result->length = static_cast<DWORD>(length);
    result->checksum = checksum;
    result->found = TRUE;
}

void ReadOemText(bench::ReadResult* result) {
    *result = bench::ReadResult{};
    if (OpenClipboardWhenFree()) {
        HANDLE block = GetClipboardData(CF_OEMTEXT);
        if (block) ReadBlockInFull(block, result);
        CloseClipboard();
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    result->finished = now.QuadPart;
}

}  // namespace

int main() {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, bench::kResultMappingName);
    HANDLE read_now = OpenEventA(SYNCHRONIZE, FALSE, bench::kReadEventName);
    HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, bench::kDoneEventName);
    HANDLE quit = OpenEventA(SYNCHRONIZE, FALSE, bench::kQuitEventName);
    if (!mapping || !read_now || !done || !quit) return kFailed;
    auto* result = static_cast<bench::ReadResult*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(bench::ReadResult)));
    if (!result) return kFailed;
    HANDLE waited[] = {read_now, quit};
    while (WaitForMultipleObjects(2, waited, FALSE, INFINITE) == WAIT_OBJECT_0) {
        ReadOemText(result);
        SetEvent(done);
    }
    UnmapViewOfFile(result);
    return 0;
}
