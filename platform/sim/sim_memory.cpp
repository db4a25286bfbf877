// Global memory: every block is its own exact-sized allocation, so that the
// address sanitizer sees any read past its end, and starts as garbage.
#include <cstring>

#include "sim_internal.h"

namespace sim::internal {

namespace {

constexpr unsigned char kGarbageByte = 0xCD;

}  // namespace

Block* FindBlock(HANDLE handle) {
    auto& blocks = TheDesktop().blocks;
    auto found = blocks.find(HandleKey(handle));
    return found == blocks.end() ? nullptr : &found->second;
}

HGLOBAL AllocateBlock(UINT flags, size_t bytes) {
    Block block;
    if (bytes > 0) {
        block.bytes.reset(static_cast<char*>(std::malloc(bytes)));
        if (!block.bytes) return nullptr;
        std::memset(block.bytes.get(), (flags & GMEM_ZEROINIT) ? 0 : kGarbageByte, bytes);
    }
    block.size = bytes;
    HGLOBAL handle = NewHandle<HGLOBAL>();
    TheDesktop().blocks.emplace(HandleKey(handle), std::move(block));
    return handle;
}

HGLOBAL BlockFromBytes(const std::string& bytes) {
    HGLOBAL handle = AllocateBlock(GMEM_MOVEABLE, bytes.size());
    if (handle && !bytes.empty())
        std::memcpy(FindBlock(handle)->bytes.get(), bytes.data(), bytes.size());
    return handle;
}

std::string BlockBytes(HANDLE handle) {
    const Block* block = FindBlock(handle);
    if (!block || block->size == 0) return std::string();
    return std::string(block->bytes.get(), block->size);
}

bool FreeBlock(HANDLE handle) {
    return TheDesktop().blocks.erase(HandleKey(handle)) > 0;
}

}  // namespace sim::internal

using sim::Fault;
using sim::internal::Block;
using sim::internal::Faulted;
using sim::internal::FindBlock;

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    if (Faulted(Fault::GlobalAlloc)) return nullptr;
    return sim::internal::AllocateBlock(flags, bytes);
}

LPVOID WINAPI GlobalLock(HGLOBAL block) {
    if (Faulted(Fault::GlobalLock)) return nullptr;
    Block* found = FindBlock(block);
    if (!found || found->size == 0) return nullptr;
    ++found->locks;
    return found->bytes.get();
}

BOOL WINAPI GlobalUnlock(HGLOBAL block) {
    Block* found = FindBlock(block);
    if (!found || found->locks == 0) return FALSE;
    --found->locks;
    return found->locks > 0 ? TRUE : FALSE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL block) {
    const Block* found = FindBlock(block);
    return found ? found->size : 0;
}

// A block that is not locked takes its new size exactly, keeping what fits.
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT) {
    if (Faulted(Fault::GlobalAlloc)) return nullptr;
    Block* found = FindBlock(block);
    if (!found || found->locks > 0 || bytes == 0) return nullptr;
    char* moved = static_cast<char*>(std::malloc(bytes));
    if (!moved) return nullptr;
    std::memcpy(moved, found->bytes.get(), bytes < found->size ? bytes : found->size);
    found->bytes.reset(moved);
    found->size = bytes;
    return block;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL block) {
    if (!block) return nullptr;
    return sim::internal::FreeBlock(block) ? nullptr : block;
}

// The heap's blocks are plain allocations of their own, read past their end
// only under the address sanitizer's eyes; Reset frees those left.
HANDLE WINAPI GetProcessHeap(void) {
    return reinterpret_cast<HANDLE>(sim::internal::kModuleHandle);
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != GetProcessHeap()) return nullptr;
    char* memory = static_cast<char*>(std::malloc(bytes ? bytes : 1));
    if (!memory) return nullptr;
    if (flags & HEAP_ZERO_MEMORY) std::memset(memory, 0, bytes);
    sim::internal::TheDesktop().heap_blocks[sim::internal::HandleKey(memory)].reset(memory);
    return memory;
}

LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD, LPVOID memory, SIZE_T bytes) {
    auto& blocks = sim::internal::TheDesktop().heap_blocks;
    auto found = blocks.find(sim::internal::HandleKey(memory));
    if (heap != GetProcessHeap() || found == blocks.end()) return nullptr;
    char* moved = static_cast<char*>(std::realloc(found->second.get(), bytes ? bytes : 1));
    if (!moved) return nullptr;
    found->second.release();
    blocks.erase(found);
    blocks[sim::internal::HandleKey(moved)].reset(moved);
    return moved;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID memory) {
    if (heap != GetProcessHeap()) return FALSE;
    return sim::internal::TheDesktop().heap_blocks.erase(sim::internal::HandleKey(memory)) > 0;
}

namespace sim {

size_t LiveHeapBlocks() {
    return internal::TheDesktop().heap_blocks.size();
}

size_t LiveUnownedBlocks() {
    size_t count = 0;
    for (const auto& entry : internal::TheDesktop().blocks) {
        if (!entry.second.clipboard_owned) ++count;
    }
    return count;
}

int OutstandingLocks() {
    int locks = 0;
    for (const auto& entry : internal::TheDesktop().blocks) locks += entry.second.locks;
    return locks;
}

}  // namespace sim
