// Content marked private is never read, on any path; a fix keeps the
// history and cloud marks, or does not happen.
#include <string>
#include <vector>

#include "viewer_test_fixture.h"

namespace {

const char* const kPrivateMarks[] = {"Clipboard Viewer Ignore",
                                     "ExcludeClipboardContentFromMonitorProcessing"};
const std::string kZero(4, '\0');
const std::string kOne("\x01\0\0\0", 4);
const std::string kSecret = WithNul("secret\r\n");

class PrivateContent : public ViewerTest {
   protected:
    UINT Mark(const char* name) { return RegisterClipboardFormatA(name); }
    int Reads() const { return sim::CallCount(sim::Fault::GetClipboardData); }

    // Painted afresh: the one centred message, and the title unchanged.
    void ExpectPrivateMessage() {
        std::string title = Title();
        sim::ClearDrawRecords();
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
        ASSERT_EQ(sim::DrawnText().size(), 1u);
        EXPECT_EQ(sim::DrawnText()[0].text, "Private data in clipboard.");
        EXPECT_EQ(sim::DrawnText()[0].flags, UINT{DT_SINGLELINE | DT_VCENTER | DT_CENTER});
        EXPECT_EQ(Title(), title);
    }

    void ChooseListed(UINT format) {
        SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(g_viewer.format_menu), 0);
        for (int n = 1; n <= g_viewer.format_count; ++n) {
            if (g_viewer.format_list[n] == format)
                SendMessageA(window_, WM_COMMAND, IDM_DEFAULT + n, 0);
        }
    }
};

// Change, first pass, retry, Fix, Default, paint and a chosen format.
TEST_F(PrivateContent, IsNeverReadOnAnyPath) {
    for (const char* name : kPrivateMarks) {
        SCOPED_TRACE(name);
        SetUp();
        Place({{CF_OEMTEXT, kSecret}, {Mark(name), "1"}});
        StartViewer("-normal");
        EXPECT_EQ(Title(), "[TEXT]") << "first pass";
        sim::FailNext(sim::Fault::OpenClipboard);
        Place({{CF_TEXT, kSecret}, {Mark(name), ""}});
        EXPECT_FALSE(sim::TimerArmed(window_, kRetryTimerId)) << "nothing to read later";
        sim::ClearFaults();
        SendMessageA(window_, WM_COMMAND, IDM_FIX, 0);
        SendMessageA(window_, WM_COMMAND, IDM_FIX, 0);
        SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
        sim::PumpMessages();
        ExpectPrivateMessage();
        ChooseListed(Mark(name));
        EXPECT_EQ(Title(), name) << "the Format menu names it";
        ExpectPrivateMessage();
        ChooseListed(CF_TEXT);
        ExpectPrivateMessage();
        EXPECT_EQ(Reads(), 0);

        // A retry that finds the content turned private, unannounced.
        SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
        sim::FailNext(sim::Fault::OpenClipboard);
        Place({{CF_OEMTEXT, WithNul("open\r\n")}});
        SetClipboardViewer(sim::CreateForeignWindow("Deaf"));
        Place({{CF_OEMTEXT, kSecret}, {Mark(name), "1"}});
        int reads = Reads();
        sim::AdvanceClock(kRetryIntervalMs);
        EXPECT_EQ(Title(), "[TEXT]");
        EXPECT_EQ(Reads(), reads);
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), kSecret);
        EXPECT_EQ(sim::ClipboardOwnerWindow(), other_);
        for (const std::string& title : sim::TitleHistory(window_))
            EXPECT_EQ(title.find("secret"), std::string::npos);
        ExpectNothingHeld();
    }
}

// A fix keeps both marks with their values, on the first pass as on a
// retry. Whichever call fails, the text is otherwise left as placed or,
// failing once the clipboard was emptied, gone; never left unmarked.
TEST_F(PrivateContent, FixKeepsTheHistoryMarksOrDoesNotHappen) {
    UINT marks[] = {Mark("CanIncludeInClipboardHistory"), Mark("CanUploadToCloudClipboard")};
    Place({{CF_OEMTEXT, kSecret}, {marks[1], kZero + "more"}, {marks[0], kOne}});
    StartViewer();
    EXPECT_EQ(sim::ClipboardFormats(), (std::vector<UINT>{CF_OEMTEXT, CF_LOCALE, marks[0], marks[1],
                                                          CF_TEXT, CF_UNICODETEXT}));
    Place({{CF_OEMTEXT, kSecret}, {marks[1], std::string(2, '\0')}});
    EXPECT_EQ(sim::ClipboardOwnerWindow(), other_) << "a mark too short to copy: no fix";
    const sim::Fault faults[] = {sim::Fault::OpenClipboard,  sim::Fault::GetClipboardData,
                                 sim::Fault::GlobalLock,     sim::Fault::GlobalAlloc,
                                 sim::Fault::EmptyClipboard, sim::Fault::SetClipboardData};
    bool seen[3] = {};
    for (sim::Fault fault : faults) {
        for (int after = 0; after < 8; ++after) {
            sim::FailNext(fault, 1, after);
            Place({{CF_OEMTEXT, kSecret}, {marks[0], kZero}, {marks[1], kOne}});
            sim::ClearFaults();
            sim::AdvanceClock(kRetryIntervalMs);
            bool untouched = sim::ClipboardOwnerWindow() == other_;
            bool fixed = sim::ClipboardBlock(CF_OEMTEXT) == WithNul("secret") &&
                         sim::ClipboardBlock(marks[0]) == kZero &&
                         sim::ClipboardBlock(marks[1]) == kOne;
            bool gone = sim::ClipboardFormats().empty();
            EXPECT_TRUE(untouched || fixed || gone)
                << static_cast<int>(fault) << " after " << after;
            seen[untouched ? 0 : fixed ? 1 : 2] = true;
            ExpectNothingHeld();
        }
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

}  // namespace
