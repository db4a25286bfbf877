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

HGLOBAL WINAPI GlobalFree(HGLOBAL block) {
    if (!block) return nullptr;
    return sim::internal::FreeBlock(block) ? nullptr : block;
}

namespace sim {

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
