// The clipboard-viewer chain as other viewers see the real Varnelo.exe:
// viewers of the driver join before it, so that Varnelo is the head of the
// chain and passes every notification on to them; they record what arrives.
#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"

namespace {

const char kViewerClass[] = "VarneloDriverChainViewer";

struct Notice {
    UINT message;
    HWND first;   // wParam: the clipboard's owner, or the viewer that leaves
    HWND second;  // lParam: the viewer that follows the one that leaves
};

// A viewer in the chain; it passes everything on, as a well-kept viewer does.
struct ChainViewer {
    const char* name = "";
    HWND window = nullptr;
    HWND next = nullptr;
    bool joined = false;
    std::vector<Notice> notices;

    ChainViewer() = default;
    ChainViewer(const ChainViewer&) = delete;
    ChainViewer& operator=(const ChainViewer&) = delete;
    ~ChainViewer();
};

void PassOn(ChainViewer* viewer, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHANGECBCHAIN && reinterpret_cast<HWND>(wParam) == viewer->next) {
        viewer->next = reinterpret_cast<HWND>(lParam);
    } else if (viewer->next) {
        SendMessageA(viewer->next, message, wParam, lParam);
    }
}

LRESULT CALLBACK ChainViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ChainViewer* viewer = reinterpret_cast<ChainViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!viewer || (message != WM_DRAWCLIPBOARD && message != WM_CHANGECBCHAIN)) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    viewer->notices.push_back(
        {message, reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam)});
    PassOn(viewer, message, wParam, lParam);
    return 0;
}

bool Join(ChainViewer* viewer, const char* name) {
    viewer->name = name;
    viewer->window = e2e::CreateMessageWindow(kViewerClass, ChainViewerProc, name);
    if (!viewer->window) return e2e::Expect(false, "a viewer window is created");
    SetWindowLongPtrA(viewer->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(viewer));
    viewer->next = SetClipboardViewer(viewer->window);
    viewer->joined = true;
    // Joining announces the clipboard to the new viewer; that is not Varnelo's.
    viewer->notices.clear();
    return true;
}

void Leave(ChainViewer* viewer) {
    if (!viewer->joined) return;
    e2e::Log("viewer %s leaves the chain", viewer->name);
    ChangeClipboardChain(viewer->window, viewer->next);
    viewer->joined = false;
}

ChainViewer::~ChainViewer() {
    Leave(this);
    if (window) DestroyWindow(window);
}

// How many WM_DRAWCLIPBOARD notices with the given owner arrived from `mark` on.
size_t CountDraws(const ChainViewer& viewer, size_t mark, HWND owner) {
    size_t count = 0;
    for (size_t n = mark; n < viewer.notices.size(); ++n) {
        const Notice& notice = viewer.notices[n];
        if (notice.message == WM_DRAWCLIPBOARD && notice.first == owner) ++count;
    }
    return count;
}

bool WaitForDraw(const ChainViewer& viewer, size_t mark, HWND owner) {
    e2e::WaitUntil([&] { return CountDraws(viewer, mark, owner) > 0; }, e2e::kChangeTimeoutMs);
    std::string what = std::string("viewer ") + viewer.name + " is told of the change";
    return e2e::Expect(CountDraws(viewer, mark, owner) > 0, what.c_str());
}

// Since `mark`, the viewer got exactly these notifications, in any order:
// `placed` from the driver's own changes and `rewritten` from Varnelo's.
// Varnelo passes each on once, so once they are all there, no more come.
bool ExpectDraws(const ChainViewer& viewer, size_t mark, HWND driver_owner, size_t placed,
                 const e2e::Varnelo& varnelo, size_t rewritten) {
    e2e::WaitUntil(
        [&] {
            return CountDraws(viewer, mark, driver_owner) >= placed &&
                   CountDraws(viewer, mark, varnelo.window) >= rewritten;
        },
        e2e::kChangeTimeoutMs);
    std::string what = std::string("viewer ") + viewer.name + "'s notices";
    std::string actual = std::to_string(viewer.notices.size() - mark) + " notices, " +
                         std::to_string(CountDraws(viewer, mark, driver_owner)) + " of changes, " +
                         std::to_string(CountDraws(viewer, mark, varnelo.window)) + " of rewrites";
    std::string expected = std::to_string(placed + rewritten) + " notices, " +
                           std::to_string(placed) + " of changes, " + std::to_string(rewritten) +
                           " of rewrites";
    return e2e::ExpectEqual(what.c_str(), actual, expected);
}

// Places OEM text ending in CR LF and waits until `viewer` has been told of
// both the change and Varnelo's rewrite, which may come in either order.
bool PlaceAndWaitForRewrite(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                            const ChainViewer& viewer, const std::string& text) {
    const size_t mark = viewer.notices.size();
    e2e::Log("placing \"%s\" as OEM text", e2e::Escaped(text).c_str());
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, text) &&
           WaitForDraw(viewer, mark, driver.owner) && WaitForDraw(viewer, mark, varnelo.window);
}

// The one WM_CHANGECBCHAIN that `viewer` got since `mark` tells that
// `leaving` left and nobody followed it.
bool ExpectToldOfLeaving(const ChainViewer& viewer, size_t mark, const ChainViewer& leaving) {
    size_t chain_changes = 0, matching = 0;
    for (size_t n = mark; n < viewer.notices.size(); ++n) {
        const Notice& notice = viewer.notices[n];
        if (notice.message != WM_CHANGECBCHAIN) continue;
        ++chain_changes;
        if (notice.first == leaving.window && notice.second == nullptr) ++matching;
    }
    std::string what =
        std::string("viewer ") + viewer.name + " is told once that " + leaving.name + " leaves";
    return e2e::Expect(chain_changes == 1 && matching == 1, what.c_str());
}

// The driver's viewers, and then Varnelo at the head: V -> A -> B -> C.
bool BuildChain(const e2e::Driver& driver, ChainViewer viewers[], size_t count,
                e2e::Varnelo* varnelo) {
    const char* const kNames[] = {"A", "B", "C"};
    for (size_t n = count; n-- > 0;) {
        if (!Join(&viewers[n], kNames[n])) return false;
    }
    return e2e::StartWithEmptyClipboard(driver, "", varnelo);
}

bool ForwardsEveryChangeAndTheRewrite(const e2e::Driver& driver) {
    ChainViewer viewers[2];
    ChainViewer& a = viewers[0];
    e2e::RunningVarnelo varnelo;
    if (!BuildChain(driver, viewers, 2, &varnelo)) return false;
    size_t mark = a.notices.size();
    if (!PlaceAndWaitForRewrite(driver, varnelo, a, "dir\r\n") ||
        !e2e::WaitForTitle(varnelo.window, "= dir") ||
        !ExpectDraws(a, mark, driver.owner, 1, varnelo, 1) ||
        !ExpectDraws(viewers[1], mark, driver.owner, 1, varnelo, 1)) {
        return false;
    }
    mark = a.notices.size();
    if (!e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "plain") ||
        !e2e::WaitForTitle(varnelo.window, "= plain") ||
        !PlaceAndWaitForRewrite(driver, varnelo, a, "again\r\n") ||
        !e2e::WaitForTitle(varnelo.window, "= again") ||
        !ExpectDraws(a, mark, driver.owner, 2, varnelo, 1)) {
        return false;
    }
    // Fix switched on again runs the handler with wParam 0, passed on too.
    mark = a.notices.size();
    return e2e::SendCommand(varnelo, IDM_FIX) && e2e::SendCommand(varnelo, IDM_FIX) &&
           WaitForDraw(a, mark, nullptr) && e2e::ExitsWithZero(varnelo);
}

bool RepairsTheChainWhenViewersLeave(const e2e::Driver& driver) {
    ChainViewer viewers[3];
    ChainViewer &a = viewers[0], &b = viewers[1], &c = viewers[2];
    e2e::RunningVarnelo varnelo;
    if (!BuildChain(driver, viewers, 3, &varnelo)) return false;
    // Varnelo's next viewer leaves: Varnelo takes over its successor.
    size_t mark_a = a.notices.size();
    Leave(&a);
    if (!PlaceAndWaitForRewrite(driver, varnelo, b, "after a\r\n") ||
        !e2e::ExpectEqual("notices reaching A after it left", a.notices.size() - mark_a, 0)) {
        return false;
    }
    // A viewer further down leaves: Varnelo passes the news on to B.
    size_t mark_b = b.notices.size();
    size_t mark_c = c.notices.size();
    Leave(&c);
    return ExpectToldOfLeaving(b, mark_b, c) &&
           e2e::Expect(b.next == nullptr, "B has no next viewer now") &&
           PlaceAndWaitForRewrite(driver, varnelo, b, "after c\r\n") &&
           e2e::ExpectEqual("notices reaching C after it left", c.notices.size() - mark_c, 0) &&
           e2e::ExitsWithZero(varnelo);
}

// After Varnelo has ended, the system tells its successor of the next
// change itself; had Varnelo stayed in the chain, nobody would be told.
bool ExpectSuccessorIsHead(const e2e::Driver& driver, const ChainViewer& viewer) {
    const size_t mark = viewer.notices.size();
    return e2e::PlaceClipboardText(driver.owner, CF_OEMTEXT, "after the end") &&
           WaitForDraw(viewer, mark, driver.owner);
}

bool ExitAndCloseLeaveTheChain(const e2e::Driver& driver) {
    ChainViewer viewers[1];
    {
        e2e::RunningVarnelo varnelo;
        if (!BuildChain(driver, viewers, 1, &varnelo) ||
            !PlaceAndWaitForRewrite(driver, varnelo, viewers[0], "before exit\r\n") ||
            !e2e::ExitsWithZero(varnelo) || !ExpectSuccessorIsHead(driver, viewers[0])) {
            return false;
        }
    }
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "", &varnelo) &&
           PlaceAndWaitForRewrite(driver, varnelo, viewers[0], "before close\r\n") &&
           e2e::Expect(PostMessageA(varnelo.window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE,
                       "Close is chosen from the system menu") &&
           e2e::ExpectExitCodeZero(varnelo) && ExpectSuccessorIsHead(driver, viewers[0]);
}

const e2e::TestCase kCases[] = {
    {"forwards_every_change_and_the_rewrite", ForwardsEveryChangeAndTheRewrite},
    {"repairs_the_chain_when_viewers_leave", RepairsTheChainWhenViewersLeave},
    {"exit_and_close_leave_the_chain", ExitAndCloseLeaveTheChain},
};

}  // namespace

int main(int argc, char** argv) {
    return e2e::RunDriver(argc, argv, kCases);
}
