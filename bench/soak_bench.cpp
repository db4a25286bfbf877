// Soak benchmark: many clipboard changes, one after another, against the
// real Varnelo.exe and against soak_viewer, the minimal viewer that makes
// only the platform calls its options name; it reports how much private
// memory (PagefileUsage) each grows per change. Nothing here asserts: it
// prints what it measured.
//
// usage: soak_bench kinds|kindN PATH\TO\Varnelo.exe PATH\TO\soak_viewer.exe [CHANGES [VIEWER...]]
//        soak_bench mix PATH\TO\Varnelo.exe PATH\TO\soak_viewer.exe
// A VIEWER is "varnelo OPTIONS" or "minimal OPTIONS" (soak_viewer's own).
// "kinds" prints, for each kind of change, the growth per change of each
// viewer ("kind0" to "kind8": of that kind only, "kind9": of the mix); "mix" prints the benchmark's
// soak row: 1,600 changes of all kinds in turn, the changes per second and the growth over the last
// 1,200.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "clip/command_ids.h"
#include "tests/e2e/driver_util.h"
#include "bench/soak_changes.h"

namespace {

const int kDefaultChanges = 300;
const int kWarmUpChanges = 50;
const int kMixChanges = 1600;
const int kMixSettledAfter = 400;
const double kKilobyte = 1024.0;
const double kMegabyte = 1024.0 * 1024.0;
const char kMinimalClass[] = "VarneloSoakViewer";
const char kOneKindMode[] = "kind";

const char* const kDefaultViewers[] = {
    "varnelo -normal",
    "varnelo -min",
    "minimal",
    "minimal title",
    "minimal locale",
    "minimal marks",
    "minimal paint",
    "minimal paint min",
    "minimal paint bitmap",
    "minimal paint dib",
    "minimal title locale marks paint bitmap",
};

struct Paths {
    std::string varnelo;
    std::string minimal;
};

struct Viewer {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

bool IsVarnelo(const std::string& viewer) {
    return viewer.compare(0, 7, "varnelo") == 0;
}

// Starts the viewer a description names and waits until it has looked at
// the (empty) clipboard.
bool StartViewer(const Paths& paths, const std::string& description, Viewer* viewer) {
    const bool varnelo = IsVarnelo(description);
    const std::string& exe = varnelo ? paths.varnelo : paths.minimal;
    const size_t space = description.find(' ');
    const std::string options = space == std::string::npos ? "" : description.substr(space);
    if (!e2e::StartProcess(exe.c_str(), "\"" + exe + "\"" + options, &viewer->process)) {
        return false;
    }
    const char* class_name = varnelo ? e2e::kVarneloClass : kMinimalClass;
    const bool found = e2e::WaitUntil(
        [viewer, class_name] {
            viewer->window = e2e::FindProcessWindow(viewer->process.dwProcessId, class_name);
            return viewer->window != nullptr;
        },
        e2e::kStartTimeoutMs);
    return found && soak::WaitUntilAnswered(viewer->window);
}

void StopViewer(Viewer* viewer) {
    if (!viewer->process.hProcess) return;
    PostMessageA(viewer->window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(viewer->process.hProcess, e2e::kExitTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(viewer->process.hProcess, 1);
        WaitForSingleObject(viewer->process.hProcess, e2e::kExitTimeoutMs);
    }
    CloseHandle(viewer->process.hThread);
    CloseHandle(viewer->process.hProcess);
    *viewer = Viewer();
}

// Makes `count` changes of the kind (or of the mix's kinds in turn when
// `kind` is kAllKinds), numbered from `first`; counts those not handled as they must be.
int MakeChanges(HWND owner, const Viewer& viewer, int kind, int first, int count,
                const soak::Formats& formats) {
    int failed = 0;
    for (int number = first; number < first + count; ++number) {
        const soak::Kind made =
            static_cast<soak::Kind>(kind == soak::kAllKinds ? number % soak::kKinds : kind);
        if (!soak::PlaceChange(owner, made, number, formats) ||
            !soak::ChangeHandled(viewer.window, made)) {
            ++failed;
        }
    }
    return failed;
}

// Growth per change in bytes of one viewer under one kind of change;
// negative when the viewer could not be run.
double GrowthPerChange(const Paths& paths, const std::string& description, HWND owner, int kind,
                       int changes, const soak::Formats& formats) {
    Viewer viewer;
    double growth = -1;
    if (e2e::EmptyTheClipboard(owner) && StartViewer(paths, description, &viewer)) {
        int failed = MakeChanges(owner, viewer, kind, 0, kWarmUpChanges, formats);
        const SIZE_T before = soak::PrivateBytes(viewer.process.hProcess);
        failed += MakeChanges(owner, viewer, kind, kWarmUpChanges, changes, formats);
        const SIZE_T after = soak::PrivateBytes(viewer.process.hProcess);
        growth = (static_cast<double>(after) - static_cast<double>(before)) / changes;
        if (failed)
            std::printf("  (%s, %s: %d changes not handled)\n", description.c_str(),
                        kind == soak::kAllKinds ? "mix" : soak::kKindNames[kind], failed);
    }
    StopViewer(&viewer);
    return growth;
}

void PrintKinds(const Paths& paths, HWND owner, int only_kind, int changes,
                const std::vector<std::string>& viewers, const soak::Formats& formats) {
    std::printf("Private memory growth per change, KB, over %d changes after %d of warm-up\n",
                changes, kWarmUpChanges);
    for (size_t at = 0; at < viewers.size(); ++at)
        std::printf("  [%zu] %s\n", at, viewers[at].c_str());
    std::printf("%-18s", "kind");
    for (size_t at = 0; at < viewers.size(); ++at) std::printf(" %7s%zu]", "[", at);
    std::printf("\n");
    for (int kind = 0; kind <= soak::kAllKinds; ++kind) {
        if (only_kind >= 0 && kind != only_kind) continue;
        std::printf("%-18s", kind == soak::kAllKinds ? "mix" : soak::kKindNames[kind]);
        std::fflush(stdout);
        for (const std::string& viewer : viewers) {
            const double growth = GrowthPerChange(paths, viewer, owner, kind, changes, formats);
            std::printf(" %9.2f", growth / kKilobyte);
            std::fflush(stdout);
        }
        std::printf("\n");
    }
}

// 1,600 changes of every kind in turn; the growth over the last 1,200.
void PrintMixRow(const Paths& paths, HWND owner, const std::string& description,
                 const soak::Formats& formats) {
    Viewer viewer;
    if (!e2e::EmptyTheClipboard(owner) || !StartViewer(paths, description, &viewer)) {
        std::printf("%-22s failed to start\n", description.c_str());
        StopViewer(&viewer);
        return;
    }
    const DWORD start = GetTickCount();
    int failed = MakeChanges(owner, viewer, soak::kAllKinds, 0, kMixSettledAfter, formats);
    const SIZE_T settled = soak::PrivateBytes(viewer.process.hProcess);
    failed += MakeChanges(owner, viewer, soak::kAllKinds, kMixSettledAfter,
                          kMixChanges - kMixSettledAfter, formats);
    const SIZE_T after = soak::PrivateBytes(viewer.process.hProcess);
    const double seconds = (GetTickCount() - start) / 1000.0;
    const double growth = static_cast<double>(after) - static_cast<double>(settled);
    std::printf("%-22s %12.0f %14.2f %16.2f %12d\n", description.c_str(), kMixChanges / seconds,
                growth / kMegabyte, growth / (kMixChanges - kMixSettledAfter) / kKilobyte, failed);
    std::fflush(stdout);
    StopViewer(&viewer);
}

void PrintMix(const Paths& paths, HWND owner, const soak::Formats& formats) {
    std::printf(
        "\nSoak: %d changes of the %d kinds in turn, window open; growth of private memory\n"
        "over the last %d. Not handled: changes not answered, or OEM text left unfixed.\n",
        kMixChanges, soak::kKinds, kMixChanges - kMixSettledAfter);
    std::printf("%-22s %12s %14s %16s %12s\n", "viewer", "changes/s", "growth MB", "KB per change",
                "not handled");
    PrintMixRow(paths, owner, "varnelo -normal", formats);
    PrintMixRow(paths, owner, "varnelo -min", formats);
    // The icon's tooltip follows the title; hidden, the window paints nothing.
    PrintMixRow(paths, owner, "varnelo -tray", formats);
    PrintMixRow(paths, owner, "varnelo -tray -normal", formats);
    PrintMixRow(paths, owner, "minimal", formats);
    // The minimal viewer showing each bitmap as Varnelo does: the platform's
    // own cost of a bitmap read by a viewer.
    PrintMixRow(paths, owner, "minimal paint bitmap", formats);
}

// "kindN" names one row of the table; "kinds" asks for all (-1).
int OnlyKind(const char* mode) {
    const size_t prefix = std::strlen(kOneKindMode);
    if (std::strncmp(mode, kOneKindMode, prefix) != 0 || mode[prefix] == 's') return -1;
    return std::atoi(mode + prefix);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        e2e::Log(
            "usage: soak_bench kinds|mix PATH\\TO\\Varnelo.exe PATH\\TO\\soak_viewer.exe "
            "[CHANGES [VIEWER...]]");
        return e2e::kUsageError;
    }
    const Paths paths = {argv[2], argv[3]};
    const int changes = argc > 4 && std::atoi(argv[4]) > 0 ? std::atoi(argv[4]) : kDefaultChanges;
    std::vector<std::string> viewers(argv + (argc > 5 ? 5 : argc), argv + argc);
    if (viewers.empty()) viewers.assign(std::begin(kDefaultViewers), std::end(kDefaultViewers));
    HWND owner = e2e::CreateClipboardOwner();
    soak::Formats formats;
    soak::RegisterFormats(&formats);
    if (std::strcmp(argv[1], "mix") == 0) {
        PrintMix(paths, owner, formats);
    } else {
        PrintKinds(paths, owner, OnlyKind(argv[1]), changes, viewers, formats);
    }
    e2e::EmptyTheClipboard(owner);
    DestroyWindow(owner);
    return e2e::kPassed;
}
