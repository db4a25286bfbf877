#include "clip/clipboard_blocks.h"

#include <cstring>

bool ReadClipboardDword(UINT format, DWORD* value) {
    HANDLE block = GetClipboardData(format);
    if (!block || GlobalSize(block) < sizeof *value) return false;
    const void* bytes = GlobalLock(block);
    if (!bytes) return false;
    std::memcpy(value, bytes, sizeof *value);
    GlobalUnlock(block);
    return true;
}

HGLOBAL NewSharedBlock(const void* bytes, size_t count, size_t size) {
    HGLOBAL block = GlobalAlloc(kSharedBlockFlags, size);
    if (!block) return nullptr;
    char* target = static_cast<char*>(GlobalLock(block));
    if (!target) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(target, bytes, count);
    std::memset(target + count, 0, size - count);
    GlobalUnlock(block);
    return block;
}
