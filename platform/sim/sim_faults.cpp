// Fault switches: a test makes chosen calls fail the way Win32 calls fail.
#include "sim_internal.h"

namespace sim::internal {

bool Faulted(Fault fault) {
    FaultSwitch& fault_switch = TheDesktop().faults[fault];
    ++fault_switch.calls;
    if (fault_switch.always) return true;
    if (fault_switch.pending_failures == 0) return false;
    if (fault_switch.passes_before_failures > 0) {
        --fault_switch.passes_before_failures;
        return false;
    }
    --fault_switch.pending_failures;
    return true;
}

}  // namespace sim::internal

namespace sim {

void FailNext(Fault fault, int times, int after) {
    internal::FaultSwitch& fault_switch = internal::TheDesktop().faults[fault];
    fault_switch.pending_failures += times;
    fault_switch.passes_before_failures = after;
}

void FailAlways(Fault fault) {
    internal::TheDesktop().faults[fault].always = true;
}

void ClearFaults() {
    for (auto& entry : internal::TheDesktop().faults) {
        entry.second.pending_failures = 0;
        entry.second.passes_before_failures = 0;
        entry.second.always = false;
    }
}

int CallCount(Fault fault) {
    const auto& faults = internal::TheDesktop().faults;
    auto found = faults.find(fault);
    return found == faults.end() ? 0 : found->second.calls;
}

}  // namespace sim
