// The simulated desktop's own behaviour, where the program relies on it
// matching Windows under Wine 8.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "clip/command_ids.h"
#include "sim/sim_desktop.h"

namespace {

using Formats = std::vector<UINT>;

constexpr char kClassName[] = "SimDesktopTest";
constexpr char kMenuName[] = "IDR_Varnelo";
constexpr int kFormatPopup = 2;
constexpr int kHelpPopup = 3;
constexpr UINT kNoSuchCommand = 12345;

// What the test window's procedure saw, and what it is told to do.
struct Probe {
    int draw_deliveries = 0;
    int rewrites_left = 0;
    bool clipboard_open_at_delivery = false;
    std::vector<MSG> chain_changes;
    LRESULT create_result = 0;
    bool set_viewer_returned = false;
    bool announced_before_return = false;
};
Probe g_probe;

std::string Bytes(const char* text, size_t size) {
    return std::string(text, size);
}

HGLOBAL BlockWith(const std::string& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    return block;
}

std::string BlockText(HANDLE block) {
    const char* bytes = static_cast<const char*>(GlobalLock(block));
    std::string text(bytes, GlobalSize(block));
    GlobalUnlock(block);
    return text;
}

// A viewer that rewrites the clipboard while handling the announcement, as
// the program does when it trims text.
void RewriteClipboard(HWND window) {
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_OEMTEXT, BlockWith("x")));
    ASSERT_TRUE(CloseClipboard());
}

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            SetWindowTextA(window, "created");
            SetTimer(window, 1, 100, nullptr);
            return g_probe.create_result;
        case WM_DRAWCLIPBOARD:
            ++g_probe.draw_deliveries;
            g_probe.clipboard_open_at_delivery = sim::ClipboardIsOpen();
            g_probe.announced_before_return = !g_probe.set_viewer_returned;
            if (g_probe.rewrites_left > 0) {
                --g_probe.rewrites_left;
                RewriteClipboard(window);
            }
            return 0;
        case WM_CHANGECBCHAIN:
            g_probe.chain_changes.push_back({window, message, wParam, lParam, 0, {0, 0}});
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

class SimDesktopTest : public ::testing::Test {
   protected:
    void SetUp() override {
        sim::Reset();
        g_probe = Probe();
    }
    void TearDown() override { sim::Reset(); }

    HWND CreateProbeWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ProbeProc;
        wc.lpszClassName = kClassName;
        wc.lpszMenuName = kMenuName;
        RegisterClassA(&wc);
        return CreateWindowExA(0, kClassName, "probe", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                               CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
    }

    HWND JoinChain(HWND window) {
        HWND previous = SetClipboardViewer(window);
        g_probe.set_viewer_returned = true;
        return previous;
    }

    Formats EnumerateOpen(HWND window) {
        Formats formats;
        EXPECT_TRUE(OpenClipboard(window));
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            formats.push_back(format);
        }
        CloseClipboard();
        return formats;
    }

    HWND other_ = nullptr;
};

TEST_F(SimDesktopTest, TextFormatsAreSynthesisedInWineOrder) {
    other_ = sim::CreateForeignWindow();
    ASSERT_TRUE(sim::PlaceClipboard(other_, {{CF_OEMTEXT, "ab"}}));
    EXPECT_EQ(sim::ClipboardFormats(), (Formats{7, 16, 1, 13}));
    EXPECT_EQ(EnumerateOpen(other_), (Formats{7, 16, 1, 13}));

    sim::PlaceClipboard(other_, {{CF_TEXT, "ab"}});
    EXPECT_EQ(sim::ClipboardFormats(), (Formats{1, 16, 7, 13}));
    sim::PlaceClipboard(other_, {{CF_UNICODETEXT, Bytes("a\0", 2)}});
    EXPECT_EQ(sim::ClipboardFormats(), (Formats{13, 16, 1, 7}));

    HBITMAP bitmap = CreateBitmap(4, 2, 1, 32, nullptr);
    sim::PlaceClipboardBitmap(other_, bitmap);
    EXPECT_EQ(sim::ClipboardFormats(), (Formats{CF_BITMAP, CF_DIB}));
    EXPECT_EQ(EnumClipboardFormats(0), 0u) << "enumeration needs the clipboard open";
}

TEST_F(SimDesktopTest, DerivedTextCarriesTheWholeSourceBlock) {
    other_ = sim::CreateForeignWindow();
    const std::string source = Bytes("a\r\n\0xy", 6);
    sim::PlaceClipboard(other_, {{CF_OEMTEXT, source}});
    ASSERT_TRUE(OpenClipboard(other_));
    HANDLE text = GetClipboardData(CF_TEXT);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(BlockText(text), source);
    EXPECT_EQ(GetClipboardData(CF_TEXT), text) << "made once per content";
    HANDLE wide = GetClipboardData(CF_UNICODETEXT);
    EXPECT_EQ(GlobalSize(wide), 2 * source.size());
    EXPECT_EQ(BlockText(wide).substr(0, 4), Bytes("a\0\r\0", 4));
    CloseClipboard();
    EXPECT_EQ(sim::LiveUnownedBlocks(), 0u) << "derived blocks belong to the clipboard";

    sim::PlaceClipboard(other_, {{CF_OEMTEXT, "abc"}});
    EXPECT_EQ(GlobalSize(text), 0u) << "emptying frees the derived block";
    EXPECT_EQ(sim::ClipboardBlock(CF_TEXT), "abc") << "no NUL is added";

    ASSERT_TRUE(sim::PlaceClipboardEmptyHandle(other_, CF_OEMTEXT));
    ASSERT_TRUE(OpenClipboard(other_));
    EXPECT_EQ(GetClipboardData(CF_OEMTEXT), nullptr);
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    CloseClipboard();
}

TEST_F(SimDesktopTest, PriorityFormatCountsDerivedFormatsWithoutOpening) {
    UINT text_or_bitmap[] = {CF_TEXT, CF_BITMAP};
    UINT only_dib[] = {CF_DIB};
    EXPECT_EQ(GetPriorityClipboardFormat(text_or_bitmap, 2), 0);

    other_ = sim::CreateForeignWindow();
    sim::PlaceClipboard(other_, {{CF_OEMTEXT, "t"}});
    EXPECT_EQ(GetPriorityClipboardFormat(text_or_bitmap, 2), CF_TEXT);
    EXPECT_EQ(GetPriorityClipboardFormat(only_dib, 1), -1);

    sim::PlaceClipboardBitmap(other_, CreateBitmap(1, 1, 1, 32, nullptr));
    EXPECT_EQ(GetPriorityClipboardFormat(only_dib, 1), CF_DIB);
    EXPECT_FALSE(sim::ClipboardIsOpen());
}

TEST_F(SimDesktopTest, RewriteAnnouncementNestsInsideCloseClipboard) {
    HWND viewer = CreateProbeWindow();
    JoinChain(viewer);
    g_probe.draw_deliveries = 0;
    g_probe.rewrites_left = 2;
    other_ = sim::CreateForeignWindow();

    ASSERT_TRUE(sim::PlaceClipboard(other_, {{CF_OEMTEXT, "a\r\n"}}));
    EXPECT_EQ(g_probe.draw_deliveries, 3);
    EXPECT_EQ(sim::DeepestNesting(), 3);
    EXPECT_FALSE(g_probe.clipboard_open_at_delivery);
    EXPECT_EQ(sim::ClipboardChangeCount(), 3);
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), "x");

    ASSERT_TRUE(OpenClipboard(viewer));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_EQ(g_probe.draw_deliveries, 3) << "a close without a change announces nothing";
    EXPECT_FALSE(CloseClipboard());

    sim::SetNestingLimit(2);
    g_probe.draw_deliveries = 0;
    g_probe.rewrites_left = 5;
    ASSERT_TRUE(sim::PlaceClipboard(other_, {{CF_OEMTEXT, "b"}}));
    EXPECT_EQ(g_probe.draw_deliveries, 2) << "deeper announcements are dropped";
}

TEST_F(SimDesktopTest, OnlyOneWindowHoldsTheClipboardOpen) {
    HWND program = CreateProbeWindow();
    other_ = sim::CreateForeignWindow();
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);

    ASSERT_TRUE(OpenClipboard(other_));
    EXPECT_FALSE(OpenClipboard(program));
    EXPECT_TRUE(OpenClipboard(other_)) << "the holder may open it again";
    EXPECT_FALSE(sim::PlaceClipboard(program, {{CF_TEXT, "t"}}));
    EXPECT_EQ(sim::ClipboardOpenedBy(), other_);
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_EQ(GetClipboardOwner(), other_);
    ASSERT_TRUE(CloseClipboard());

    EXPECT_TRUE(OpenClipboard(program));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(SimDesktopTest, ViewerChainAnnouncesToNewHeadBeforeReturning) {
    other_ = sim::CreateForeignWindow();
    EXPECT_EQ(SetClipboardViewer(other_), nullptr);
    ASSERT_EQ(sim::Received(other_).size(), 1u);
    EXPECT_EQ(sim::Received(other_)[0].message, static_cast<UINT>(WM_DRAWCLIPBOARD));

    HWND viewer = CreateProbeWindow();
    EXPECT_EQ(JoinChain(viewer), other_);
    EXPECT_EQ(g_probe.draw_deliveries, 1);
    EXPECT_TRUE(g_probe.announced_before_return);
    EXPECT_EQ(sim::ViewerChainHead(), viewer);

    HWND third = sim::CreateForeignWindow();
    EXPECT_TRUE(ChangeClipboardChain(third, other_));
    ASSERT_EQ(g_probe.chain_changes.size(), 1u);
    EXPECT_EQ(g_probe.chain_changes[0].wParam, reinterpret_cast<WPARAM>(third));
    EXPECT_EQ(g_probe.chain_changes[0].lParam, reinterpret_cast<LPARAM>(other_));

    DestroyWindow(other_);
    EXPECT_EQ(sim::ViewerChainHead(), viewer) << "destroying a window leaves the chain";
    EXPECT_TRUE(ChangeClipboardChain(viewer, other_));
    EXPECT_EQ(sim::ViewerChainHead(), other_);
}

TEST_F(SimDesktopTest, ClassMenuComesFromTheResourceScript) {
    HWND window = CreateProbeWindow();
    HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_TRUE(GetMenuState(bar, kFormatPopup, MF_BYPOSITION) & MF_POPUP);

    HMENU format = GetSubMenu(bar, kFormatPopup);
    ASSERT_EQ(GetMenuItemCount(format), 2);
    EXPECT_EQ(GetMenuItemID(format, 0), static_cast<UINT>(IDM_DEFAULT));
    EXPECT_TRUE(GetMenuState(format, 1, MF_BYPOSITION) & MF_SEPARATOR);

    char text[32];
    EXPECT_EQ(GetMenuStringA(bar, IDM_HELP, text, sizeof text, MF_BYCOMMAND), 11);
    EXPECT_STREQ(text, "&Help...\tF1");
    EXPECT_EQ(GetMenuStringA(GetSubMenu(bar, kHelpPopup), 1, text, 4, MF_BYPOSITION), 3);
    EXPECT_STREQ(text, "&Ab");
    EXPECT_EQ(GetMenuItemCount(nullptr), -1);
}

TEST_F(SimDesktopTest, CheckMenuItemReturnsThePreviousState) {
    HMENU bar = GetMenu(CreateProbeWindow());
    EXPECT_EQ(CheckMenuItem(bar, IDM_FIX, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(bar, IDM_FIX, MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, IDM_FIX, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, kNoSuchCommand, MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(GetMenuState(bar, kNoSuchCommand, MF_BYCOMMAND), static_cast<UINT>(-1));

    HMENU format = GetSubMenu(bar, kFormatPopup);
    ASSERT_TRUE(AppendMenuA(format, MF_STRING | MF_CHECKED, IDM_FORMAT_FIRST, "&1 TEXT"));
    EXPECT_TRUE(GetMenuState(bar, IDM_FORMAT_FIRST, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(format, 2, MF_BYPOSITION | MF_UNCHECKED),
              static_cast<DWORD>(MF_CHECKED));
    EXPECT_TRUE(DeleteMenu(format, 2, MF_BYPOSITION));
    EXPECT_FALSE(DeleteMenu(format, 2, MF_BYPOSITION));
    EXPECT_EQ(CheckMenuItem(bar, IDM_FORMAT_FIRST, MF_CHECKED), static_cast<DWORD>(-1));
}

TEST_F(SimDesktopTest, WindowIsUsableDuringCreateAndFailsOnMinusOne) {
    HWND window = CreateProbeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(sim::TitleHistory(window), (std::vector<std::string>{"probe", "created"}));
    EXPECT_TRUE(sim::TimerArmed(window, 1));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(FindWindowA(kClassName, nullptr), window);

    WNDCLASSA again = {};
    again.lpfnWndProc = ProbeProc;
    again.lpszClassName = kClassName;
    EXPECT_EQ(RegisterClassA(&again), 0) << "class names are unique";

    g_probe.create_result = -1;
    EXPECT_EQ(
        CreateWindowExA(0, kClassName, "second", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(FindWindowA(kClassName, "second"), nullptr);
}

TEST_F(SimDesktopTest, ShowCommandsSetVisibilityIconicAndActivation) {
    HWND window = CreateProbeWindow();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWMINNOACTIVE));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_FALSE(sim::IsActive(window));
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(sim::IsActive(window));
    ShowWindow(window, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(sim::LastShowCommand(window), SW_HIDE);
}

TEST_F(SimDesktopTest, MemoryAccountingFollowsOwnershipAndLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
    auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
    EXPECT_EQ(bytes[2], 0xCD) << "fresh blocks hold garbage";
    GlobalLock(block);
    EXPECT_EQ(sim::OutstandingLocks(), 2);
    EXPECT_TRUE(GlobalUnlock(block));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(sim::OutstandingLocks(), 0);
    EXPECT_EQ(sim::LiveUnownedBlocks(), 1u);

    HGLOBAL zeroed = GlobalAlloc(GHND, 2);
    EXPECT_EQ(static_cast<char*>(GlobalLock(zeroed))[1], '\0');
    GlobalUnlock(zeroed);
    EXPECT_EQ(GlobalLock(GlobalAlloc(GMEM_MOVEABLE, 0)), nullptr);

    HWND window = CreateProbeWindow();
    ASSERT_TRUE(OpenClipboard(window));
    EmptyClipboard();
    SetClipboardData(CF_OEMTEXT, block);
    EXPECT_EQ(sim::LiveUnownedBlocks(), 2u) << "the clipboard owns what it was given";
    SetClipboardData(CF_OEMTEXT, zeroed);
    EXPECT_EQ(GlobalSize(block), 0u) << "a replaced block is freed";
    EmptyClipboard();
    EXPECT_EQ(GlobalSize(zeroed), 0u);
    CloseClipboard();

    HGLOBAL spare = GlobalAlloc(GMEM_MOVEABLE, 1);
    EXPECT_EQ(GlobalFree(spare), nullptr);
    EXPECT_EQ(GlobalFree(spare), spare);
}

TEST_F(SimDesktopTest, FaultsFailCallsWithoutChangingAnything) {
    HWND window = CreateProbeWindow();
    sim::FailNext(sim::Fault::OpenClipboard);
    EXPECT_FALSE(OpenClipboard(window));
    EXPECT_FALSE(sim::ClipboardIsOpen());
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_EQ(sim::CallCount(sim::Fault::OpenClipboard), 2);

    HGLOBAL block = BlockWith("t");
    sim::FailAlways(sim::Fault::SetClipboardData);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), nullptr);
    EXPECT_EQ(sim::LiveUnownedBlocks(), 1u);
    sim::ClearFaults();
    EXPECT_EQ(SetClipboardData(CF_TEXT, block), block);
    CloseClipboard();
    EXPECT_EQ(sim::CallCount(sim::Fault::SetClipboardData), 3);

    sim::FailNext(sim::Fault::OpenClipboard, 1, 1);
    EXPECT_TRUE(OpenClipboard(window)) << "a call let pass before the failure";
    EXPECT_FALSE(OpenClipboard(window));
    EXPECT_TRUE(OpenClipboard(window));
    CloseClipboard();
}

TEST_F(SimDesktopTest, MessageLoopRunsTimersThenIdleHookThenStarves) {
    HWND window = CreateProbeWindow();
    std::vector<UINT> seen;
    int idle_calls = 0;
    sim::SetIdleHook([&] {
        ++idle_calls;
        if (idle_calls == 1) PostMessageA(window, WM_USER, 0, 0);
        return idle_calls == 1;
    });

    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER)) << "an armed timer comes before idling";
    KillTimer(window, 1);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_TRUE(sim::LoopStarved());
    EXPECT_EQ(idle_calls, 2);

    PostQuitMessage(7);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);

    DestroyWindow(window);
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(sim::PostedCount(window, WM_USER), 2);
}

TEST_F(SimDesktopTest, PaintingValidatesAndDrawTextReadsOnlyItsCount) {
    HWND window = CreateProbeWindow();
    UpdateWindow(window);
    EXPECT_EQ(sim::PaintCount(window), 0) << "nothing was invalid";
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(sim::PaintCount(window), 1);
    EXPECT_FALSE(sim::NeedsPaint(window));

    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 400);
    const char unterminated[] = {'a', '\n', 'b'};
    EXPECT_EQ(DrawTextA(dc, unterminated, 3, &client, 0), 2 * sim::LineHeight());
    EndPaint(window, &ps);
    ASSERT_EQ(sim::DrawnText().size(), 1u);
    EXPECT_EQ(sim::DrawnText()[0].text, "a\nb");
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
}

TEST_F(SimDesktopTest, LoopPaintsEachInvalidationOnceEvenWhenPaintFails) {
    HWND window = CreateProbeWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    InvalidateRect(window, nullptr, TRUE);
    sim::PumpMessages();
    EXPECT_EQ(sim::PaintCount(window), 1);

    sim::FailAlways(sim::Fault::BeginPaint);
    InvalidateRect(window, nullptr, TRUE);
    sim::PumpMessages();
    EXPECT_TRUE(sim::NeedsPaint(window)) << "the pump ends although nothing was painted";
    EXPECT_EQ(sim::CallCount(sim::Fault::BeginPaint), 2);
}

TEST_F(SimDesktopTest, TimersRepeatUntilKilledAndDieWithTheirWindow) {
    static int ticks;
    ticks = 0;
    HWND counter = sim::CreateForeignWindow("Counter", [](HWND, UINT message, WPARAM, LPARAM) {
        if (message == WM_TIMER) ++ticks;
        return LRESULT{0};
    });
    ASSERT_EQ(SetTimer(counter, 5, 100, nullptr), 5u);
    sim::AdvanceClock(350);
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(KillTimer(counter, 5));
    EXPECT_FALSE(KillTimer(counter, 5));
    sim::AdvanceClock(1000);
    EXPECT_EQ(ticks, 3);

    SetTimer(counter, 6, 100, nullptr);
    DestroyWindow(counter);
    EXPECT_FALSE(sim::TimerArmed(counter, 6));
}

TEST_F(SimDesktopTest, ForeignWindowsRecordMessagesAndCloseByDefault) {
    other_ = sim::CreateForeignWindow("Editor");
    EXPECT_EQ(FindWindowA("editor", nullptr), other_) << "class names ignore case";
    SendMessageA(other_, WM_USER, 1, 2);
    SendMessageA(other_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(other_));
    const std::vector<MSG>& received = sim::Received(other_);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(received[2].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(received[3].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(SendMessageA(other_, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(other_));
    EXPECT_EQ(FindWindowA("Editor", nullptr), nullptr);
}

TEST_F(SimDesktopTest, RegisteredFormatsKeepTheirNames) {
    UINT rich = RegisterClipboardFormatA("Rich Text Format");
    EXPECT_GE(rich, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormatA("Rich Text Format"), rich);
    EXPECT_NE(RegisterClipboardFormatA("HTML Format"), rich);

    char name[8];
    EXPECT_EQ(GetClipboardFormatNameA(rich, name, sizeof name), 7);
    EXPECT_STREQ(name, "Rich Te");
    EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT, name, sizeof name), 0);
    EXPECT_EQ(GetClipboardFormatNameA(0xC100, name, sizeof name), 0);
}

TEST_F(SimDesktopTest, BlitsRecordTheBitmapSelectedIntoTheSource) {
    other_ = sim::CreateForeignWindow();
    HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, nullptr);
    sim::PlaceClipboardBitmap(other_, bitmap);
    EXPECT_GT(sim::ClipboardBlockSize(CF_DIB), 40u) << "a header and the pixels";

    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ASSERT_NE(previous, nullptr);
    HDC screen = CreateCompatibleDC(nullptr);
    EXPECT_TRUE(BitBlt(screen, 0, 0, 640, 400, memory, 0, 0, SRCCOPY));
    SelectObject(memory, previous);
    BitBlt(screen, 0, 0, 1, 1, memory, 0, 0, SRCCOPY);
    ASSERT_EQ(sim::Blits().size(), 2u);
    EXPECT_EQ(sim::Blits()[0].source_bitmap, bitmap);
    EXPECT_EQ(sim::Blits()[1].source_bitmap, nullptr);
    EXPECT_EQ(sim::LiveDeviceContexts(), 2);
    DeleteDC(memory);
    DeleteDC(screen);
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
}

}  // namespace
