// The benchmark's second process: each time the driver asks, it opens the
// clipboard, reads the OEM or Unicode text in full and reports when it was done.
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

// Sums every unit up to the NUL or the block's end, never past it.
template <typename Unit>
void ReadBlockInFull(HANDLE block, bench::ReadResult* result) {
    const Unit* units = static_cast<const Unit*>(GlobalLock(block));
    if (!units) return;
    const SIZE_T size = GlobalSize(block) / sizeof(Unit);
    DWORD checksum = 0;
    SIZE_T length = 0;
    while (length < size && units[length] != 0) checksum += units[length++];
    GlobalUnlock(block);
    result->length = static_cast<DWORD>(length);
    result->checksum = checksum;
    result->found = TRUE;
}

void ReadText(bench::ReadResult* result) {
    const UINT format = result->format;
    *result = bench::ReadResult{};
    result->format = format;
    if (OpenClipboardWhenFree()) {
        HANDLE block = GetClipboardData(format);
        if (block && format == CF_UNICODETEXT) {
            ReadBlockInFull<WCHAR>(block, result);
        } else if (block) {
            ReadBlockInFull<unsigned char>(block, result);
        }
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
        ReadText(result);
        SetEvent(done);
    }
    UnmapViewOfFile(result);
    return 0;
}
