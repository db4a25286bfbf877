// Soak cases of the real Varnelo.exe: a few hundred clipboard changes of
// every kind with the window open leave its private memory nearly where it
// was, so do a thousand repaints of unchanged text, and a burst of changes
// made with no pause ends with the last text fixed and titled.
//
// usage: soak_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <windows.h>

#include <string>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/menu_reader.h"
#include "bench/soak_changes.h"

namespace {

const int kWarmUpRounds = 6;
const int kMeasuredRounds = 30;
const int kBurstChanges = 300;
// Under Wine 8 a bitmap read by a viewer costs it about 24 KB that the
// platform keeps (half of that for good), and every answer it gives from
// its own cache about 1 KB; the mix's share of both is near 2.2 KB a
// change. A leak of Varnelo's own of 2 KB a change goes over this.
const double kAllowedBytesPerChange = 4.0 * 1024;

// Makes `rounds` rounds of one change of each kind; false at the first
// change not handled as it must be.
bool MakeRounds(const e2e::Driver& driver, const e2e::Varnelo& varnelo, int first_round, int rounds,
                const soak::Formats& formats) {
    for (int round = first_round; round < first_round + rounds; ++round) {
        for (int kind = 0; kind < soak::kKinds; ++kind) {
            const soak::Kind made = static_cast<soak::Kind>(kind);
            if (!soak::PlaceChange(driver.owner, made, round, formats) ||
                !soak::ChangeHandled(varnelo.window, made)) {
                e2e::Log("FAIL: change %d (%s) was not handled", round, soak::kKindNames[kind]);
                return false;
            }
        }
    }
    return true;
}

bool MemoryStaysFlatWith(const e2e::Driver& driver, const char* options) {
    e2e::RunningVarnelo varnelo;
    soak::Formats formats;
    soak::RegisterFormats(&formats);
    if (!e2e::StartWithEmptyClipboard(driver, options, &varnelo) ||
        !MakeRounds(driver, varnelo, 0, kWarmUpRounds, formats)) {
        return false;
    }
    const SIZE_T before = soak::PrivateBytes(varnelo.process.hProcess);
    if (!MakeRounds(driver, varnelo, kWarmUpRounds, kMeasuredRounds, formats)) return false;
    const SIZE_T after = soak::PrivateBytes(varnelo.process.hProcess);
    const int changes = kMeasuredRounds * soak::kKinds;
    const double per_change = (static_cast<double>(after) - before) / changes;
    e2e::Log("note: %d changes, private memory %lu KB -> %lu KB, %.2f KB a change", changes,
             static_cast<unsigned long>(before / 1024), static_cast<unsigned long>(after / 1024),
             per_change / 1024);
    return e2e::Expect(before > 0 && per_change <= kAllowedBytesPerChange,
                       "private memory grows by at most 4 KB a change") &&
           e2e::ExitsWithZero(varnelo);
}

// Changes placed one after another, never waiting for Varnelo: it may find
// the clipboard held at any of them, and still fixes and titles the last.
bool BurstEndsFixedAndTitled(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo)) return false;
    std::string last;
    for (int number = 0; number < kBurstChanges; ++number) {
        last = soak::ChangeText(soak::kOemText, number);
        if (!e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, last)) return false;
    }
    const std::string fixed = last.substr(0, last.size() - 2);
    return e2e::WaitForClipboardText(driver.owner, CF_OEMTEXT, fixed) &&
           e2e::WaitForTitle(varnelo.window, "= " + fixed) && e2e::ExitsWithZero(varnelo);
}

const int kWarmUpRepaints = 20;
const int kMeasuredRepaints = 1000;
// A repaint of unchanged text reads nothing from the clipboard.
const double kAllowedRepaintGrowth = 64.0 * 1024;

// Repaints the whole client area a thousand times, as uncovering or
// resizing the window does.
bool RepaintsGrowLittle(const e2e::Varnelo& varnelo, const char* shown) {
    SIZE_T before = 0;
    for (int at = 0; at < kWarmUpRepaints + kMeasuredRepaints; ++at) {
        if (at == kWarmUpRepaints) before = soak::PrivateBytes(varnelo.process.hProcess);
        RedrawWindow(varnelo.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        if (!soak::WaitUntilAnswered(varnelo.window)) return false;
    }
    const double growth =
        static_cast<double>(soak::PrivateBytes(varnelo.process.hProcess)) - before;
    e2e::Log("note: %d repaints of %s grow private memory by %.1f KB", kMeasuredRepaints, shown,
             growth / 1024);
    return e2e::Expect(growth <= kAllowedRepaintGrowth,
                       "a thousand repaints grow private memory by at most 64 KB");
}

// Varnelo's own fixed text, shown by default and as chosen OEM text, and
// Unicode and plain text of another program: each read once, however often
// the window is repainted.
bool RepaintsKeepMemoryFlat(const e2e::Driver& driver) {
    e2e::RunningVarnelo varnelo;
    soak::Formats formats;
    soak::RegisterFormats(&formats);
    std::vector<e2e::MenuItem> listed;
    const auto place = [&](soak::Kind kind) {
        return soak::PlaceChange(driver.owner, kind, 0, formats) &&
               soak::ChangeHandled(varnelo.window, kind);
    };
    return e2e::StartWithEmptyClipboard(driver, "-normal", &varnelo) && place(soak::kOemText) &&
           RepaintsGrowLittle(varnelo, "its own fixed text") &&
           e2e::OpenFormatMenu(varnelo, &listed) &&
           e2e::SendCommand(varnelo, static_cast<WORD>(e2e::ListedCommand(listed, "[OEMTEXT]"))) &&
           e2e::WaitForTitle(varnelo.window, "[OEMTEXT]") &&
           RepaintsGrowLittle(varnelo, "its text chosen as [OEMTEXT]") &&
           e2e::SendCommand(varnelo, IDM_DEFAULT) && place(soak::kUnicode) &&
           RepaintsGrowLittle(varnelo, "Unicode text") && place(soak::kPlain) &&
           RepaintsGrowLittle(varnelo, "plain text") && e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"memory_stays_flat", [](const e2e::Driver& d) { return MemoryStaysFlatWith(d, "-normal"); }},
    // With -all, OEM text beside 120 registered formats is rewritten with them.
    {"memory_stays_flat_with_all",
     [](const e2e::Driver& d) { return MemoryStaysFlatWith(d, "-normal -all"); }},
    {"repaints_keep_memory_flat", RepaintsKeepMemoryFlat},
    {"burst_ends_fixed_and_titled", BurstEndsFixedAndTitled},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
