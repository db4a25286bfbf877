// The one desktop every simulated call works on, and its reset.
#include "sim_internal.h"

namespace sim::internal {

namespace {

// Handles start well above the small numbers that stand for resource ids
// and step by four, as real handles do. They are never reused, not even
// after a reset, so a handle kept from an earlier test names nothing.
constexpr uintptr_t kFirstHandle = 0x100000;
constexpr uintptr_t kHandleStep = 4;
uintptr_t g_next_handle = kFirstHandle;

std::unique_ptr<Desktop>& DesktopSlot() {
    static std::unique_ptr<Desktop> desktop = std::make_unique<Desktop>();
    return desktop;
}

}  // namespace

Desktop& TheDesktop() {
    return *DesktopSlot();
}

uintptr_t NewHandleValue() {
    uintptr_t value = g_next_handle;
    g_next_handle += kHandleStep;
    return value;
}

}  // namespace sim::internal

namespace sim {

void Reset() {
    internal::DesktopSlot() = std::make_unique<internal::Desktop>();
}

}  // namespace sim
