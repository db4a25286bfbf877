// ParseOptions over any command line: it reads nothing past the line's
// NUL, always yields one of the four show modes, ends start-up exactly when
// it shows the help box, and stops at the first word that is no option.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/viewer_window.h"
#include "sim/sim_desktop.h"

namespace {

struct Outcome {
    bool go_on;
    int show;
    BOOL fix_enabled;
    size_t help_boxes;
};

// Parses a copy of exactly the line and its NUL, from a fresh state.
Outcome Parse(const std::string& line) {
    sim::Reset();
    g_viewer = ViewerState();
    std::unique_ptr<char[]> copy(new char[line.size() + 1]);
    std::memcpy(copy.get(), line.c_str(), line.size() + 1);
    int show = -1;
    bool go_on = ParseOptions(copy.get(), &show);
    return {go_on, show, g_viewer.fix_enabled, sim::MessageBoxes().size()};
}

bool Same(const Outcome& a, const Outcome& b) {
    return a.go_on == b.go_on && a.show == b.show && a.fix_enabled == b.fix_enabled &&
           a.help_boxes == b.help_boxes;
}

bool IsShowMode(int show) {
    return show == SW_HIDE || show == SW_SHOWMAXIMIZED || show == SW_SHOWMINNOACTIVE ||
           show == SW_RESTORE;
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_parse_options: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The command line ends at its first NUL.
    std::string line(reinterpret_cast<const char*>(data),
                     strnlen(reinterpret_cast<const char*>(data), size));
    Outcome outcome = Parse(line);
    Require(IsShowMode(outcome.show), "the show mode is none of the four");
    Require(outcome.help_boxes == (outcome.go_on ? 0u : 1u),
            "start-up ends without the help box, or goes on after it");
    Require(Same(Parse(line + " x -hide -viewonly -?"), outcome),
            "a word that is no option does not end the scan");
    Require(Same(Parse("x " + line), Parse("")), "a first word that is no option is not the end");
    return 0;
}
