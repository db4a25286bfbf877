// While another program holds the clipboard, the text path is tried again
// from the message loop on a short timer, never by waiting in the handler.
#include <string>

#include "viewer_test_fixture.h"

namespace {

constexpr int kRetryTicks = kRetryBoundMs / kRetryIntervalMs;
constexpr UINT_PTR kReleaseTimerId = 7;
constexpr unsigned kHoldMs = 2025;  // between two retry ticks

const std::string kPlaced = WithNul("dir\r\n");
const std::string kFixed = WithNul("dir");

// A reader ahead of the viewer in the chain: it opens the clipboard at a
// change, passes the news on while holding it, and lets go on its own timer.
HWND g_reader_next = nullptr;
int g_reader_holds = 0;

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWCLIPBOARD && g_reader_next) {
        if (g_reader_holds-- > 0 && OpenClipboard(window)) {
            SetTimer(window, kReleaseTimerId, kHoldMs, nullptr);
        }
        SendMessageA(g_reader_next, message, wParam, lParam);
    } else if (message == WM_TIMER && wParam == kReleaseTimerId) {
        KillTimer(window, kReleaseTimerId);
        CloseClipboard();
    }
    return 0;
}

class ClipboardRetry : public ViewerTest {
   protected:
    bool RetryPending() const { return sim::TimerArmed(window_, kRetryTimerId); }
    std::string OemText() const { return sim::ClipboardBlock(CF_OEMTEXT); }
    // Opens outside painting; a paint of text opens the clipboard once.
    int Opens() const {
        return sim::CallCount(sim::Fault::OpenClipboard) - sim::PaintCount(window_);
    }
};

TEST_F(ClipboardRetry, OpenFailingOnceIsRetriedOnTheNextTick) {
    StartViewer();
    std::string title = Title();
    sim::FailNext(sim::Fault::OpenClipboard);
    Place({{CF_OEMTEXT, kPlaced}});
    EXPECT_EQ(Forwarded(), 1) << "passed on at once";
    EXPECT_EQ(Title(), title);
    EXPECT_EQ(OemText(), kPlaced);
    EXPECT_TRUE(RetryPending());

    sim::AdvanceClock(kRetryIntervalMs);
    EXPECT_EQ(OemText(), kFixed);
    EXPECT_EQ(Title(), "= dir");
    EXPECT_EQ(Forwarded(), 2) << "the retry passes on only its rewrite's own change";
    EXPECT_FALSE(RetryPending());
    ExpectNothingHeld();
}

TEST_F(ClipboardRetry, CoversTheFirstPassDuringWindowCreation) {
    Place({{CF_OEMTEXT, kPlaced}});
    sim::FailNext(sim::Fault::OpenClipboard);
    StartViewer();
    EXPECT_EQ(OemText(), kPlaced);
    sim::AdvanceClock(kRetryIntervalMs);
    EXPECT_EQ(OemText(), kFixed);
}

TEST_F(ClipboardRetry, StopsAtItsBoundWhenTheClipboardNeverOpens) {
    StartViewer();
    sim::FailAlways(sim::Fault::OpenClipboard);
    int opens = Opens();
    Place({{CF_OEMTEXT, kPlaced}});
    sim::AdvanceClock(3 * kRetryBoundMs);
    EXPECT_FALSE(RetryPending());
    EXPECT_EQ(Opens() - opens, 1 + kRetryTicks);
    EXPECT_EQ(OemText(), kPlaced);
    EXPECT_EQ(Forwarded(), 1);
    ExpectNothingHeld();

    sim::ClearFaults();
    Place({{CF_OEMTEXT, WithNul("again\r\n")}});
    EXPECT_EQ(OemText(), WithNul("again")) << "the next change is handled as usual";
}

TEST_F(ClipboardRetry, ANewChangeDuringARetryStartsAfresh) {
    StartViewer();
    sim::FailNext(sim::Fault::OpenClipboard);
    Place({{CF_OEMTEXT, kPlaced}});
    Place({{CF_OEMTEXT, WithNul("new\r\n")}});
    EXPECT_EQ(OemText(), WithNul("new"));
    EXPECT_FALSE(RetryPending());

    sim::FailAlways(sim::Fault::OpenClipboard);
    Place({{CF_OEMTEXT, WithNul("first\r\n")}});
    sim::AdvanceClock(kRetryBoundMs / 2);
    Place({{CF_OEMTEXT, WithNul("second\r\n")}});
    sim::AdvanceClock(kRetryBoundMs * 3 / 4);
    EXPECT_TRUE(RetryPending()) << "the second change has a bound of its own";
    sim::ClearFaults();
    sim::AdvanceClock(kRetryIntervalMs);
    EXPECT_EQ(OemText(), WithNul("second"));
}

TEST_F(ClipboardRetry, SwitchingFixOffCancelsIt) {
    StartViewer();
    sim::FailNext(sim::Fault::OpenClipboard);
    Place({{CF_OEMTEXT, kPlaced}});
    SendMessageA(window_, WM_COMMAND, IDM_FIX, 0);
    EXPECT_FALSE(RetryPending());
    sim::AdvanceClock(kRetryBoundMs);
    EXPECT_EQ(OemText(), kPlaced);

    SendMessageA(window_, WM_COMMAND, IDM_FIX, 0);
    sim::PumpMessages();
    EXPECT_EQ(OemText(), kFixed) << "switched on again, the text is treated at once";
}

TEST_F(ClipboardRetry, NeverWaitsWhileAReaderHoldsTheClipboard) {
    StartViewer();
    HWND reader = sim::CreateForeignWindow("Reader", ReaderProc);
    g_reader_next = SetClipboardViewer(reader);
    g_reader_holds = 1;
    int opens = Opens();

    Place({{CF_OEMTEXT, kPlaced}});
    EXPECT_EQ(sim::ClipboardOpenedBy(), reader) << "the handler returned meanwhile";
    EXPECT_EQ(Opens() - opens, 2) << "the reader's open and one try of the viewer's";
    sim::AdvanceClock(4 * kRetryIntervalMs);
    EXPECT_EQ(Opens() - opens, 2 + 4) << "one try per tick";
    SendMessageA(window_, WM_COMMAND, IDM_HIDE, 0);
    EXPECT_FALSE(IsWindowVisible(window_)) << "commands are answered while the reader holds it";

    sim::AdvanceClock(kHoldMs);
    EXPECT_EQ(OemText(), kFixed);
    EXPECT_FALSE(RetryPending());
    ExpectNothingHeld();
}

}  // namespace
