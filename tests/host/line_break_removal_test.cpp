// Removal of the trailing line breaks: OEM text placed first that ends in
// CR LF is put back without them, in one rewrite, as the only format.
#include <string>
#include <vector>

#include "viewer_test_fixture.h"

namespace {

using Formats = std::vector<UINT>;

const Formats kOemTextOnly = {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT};
constexpr UINT kPrivateFormat = 0x0200;

std::string Pairs(int count) {
    std::string pairs;
    for (int n = 0; n < count; ++n) pairs += "\r\n";
    return pairs;
}

using LineBreakRemoval = ViewerTest;

struct RemovalCase {
    std::vector<sim::ClipData> placed;
    std::string left;  // the whole new block: the text and its NUL
    std::string title;
};

// Every change, the placed one and the rewrite nested in it, is passed on
// once; the rewrite keeps the title its text was given.
TEST_F(LineBreakRemoval, PutsTheTextBackWithoutItsTrailingPairsInOneRewrite) {
    StartViewer();
    const RemovalCase cases[] = {
        {{{CF_OEMTEXT, WithNul("dir\r\n")}}, WithNul("dir"), "= dir"},
        {{{CF_OEMTEXT, WithNul("a\r\n\r\n")}}, WithNul("a"), "= a"},
        {{{CF_OEMTEXT, WithNul("\r\n")}}, WithNul(""), "= "},
        {{{CF_OEMTEXT, "no nul\r\n"}}, WithNul("no nul"), "= no nul"},
        {{{CF_OEMTEXT, WithNul("two\r\nlines\r\n") + "stray"}}, WithNul("two\r\nlines"), "= two"},
        {{{CF_OEMTEXT, WithNul("a\r\n")}, {kPrivateFormat, "data"}}, WithNul("a"), "= a"}};
    for (const RemovalCase& c : cases) {
        int changes = sim::ClipboardChangeCount();
        size_t titles_before = sim::TitleHistory(window_).size();
        Place(c.placed);
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), c.left);
        EXPECT_EQ(sim::ClipboardFormats(), kOemTextOnly);
        EXPECT_EQ(sim::ClipboardChangeCount(), changes + 2);
        EXPECT_EQ(Forwarded(), sim::ClipboardChangeCount());
        EXPECT_EQ(sim::TitleHistory(window_).size(), titles_before + 1);
        EXPECT_EQ(Title(), c.title);
    }
    EXPECT_EQ(sim::ClipboardOwnerWindow(), window_);
    ExpectNothingHeld();
}

TEST_F(LineBreakRemoval, LeavesOtherTextAsItWas) {
    StartViewer();
    const std::vector<sim::ClipData> untouched[] = {
        {{CF_OEMTEXT, WithNul("dir\n")}},
        {{CF_OEMTEXT, WithNul("dir\r")}},
        {{CF_OEMTEXT, WithNul("x")}},
        {{CF_OEMTEXT, std::string("ab\0\r\n", 5)}},  // the pair lies behind the NUL
        {{CF_TEXT, WithNul("dir\r\n")}},
        {{CF_TEXT, WithNul("dir\r\n")}, {CF_OEMTEXT, WithNul("dir\r\n")}}};
    for (const auto& placed : untouched) {
        int changes = sim::ClipboardChangeCount();
        Place(placed);
        EXPECT_EQ(sim::ClipboardChangeCount(), changes + 1);
        EXPECT_EQ(sim::ClipboardBlock(placed[0].format), placed[0].bytes);
    }
}

TEST_F(LineBreakRemoval, IsSwitchedOffByViewOnlyButTheTitleIsStillSet) {
    StartViewer("-viewonly");
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}});
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("dir\r\n"));
    EXPECT_EQ(Title(), "= dir");
}

// Nothing of the old text follows the NUL, and no pass nests in another.
TEST_F(LineBreakRemoval, TakesLongRunsOfPairsAtOnceIntoAnExactBlock) {
    StartViewer();
    const std::string text = "line one\r\nline two";
    for (int pairs : {1, 50000, 100000}) {
        int changes = sim::ClipboardChangeCount();
        Place({{CF_OEMTEXT, WithNul(text + Pairs(pairs))}});
        EXPECT_EQ(sim::ClipboardBlockSize(CF_OEMTEXT), text.size() + 1) << pairs;
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul(text)) << pairs;
        EXPECT_EQ(sim::ClipboardChangeCount(), changes + 2) << pairs;
    }
    EXPECT_EQ(sim::DeepestNesting(), 2);
}

// The calls of one pass, in order: open, enumerate, the locale's data and
// lock, OEM data and lock for the title, the list of copies' alloc and lock,
// the new block's alloc and lock, empty, set. A locale that cannot be read leaves
// the process's code pages, and the fix goes ahead.
struct FaultCase {
    sim::Fault fault;
    int after;  // calls of this kind that pass first
    const char* title;
};

TEST_F(LineBreakRemoval, FailingCallsLeakNothingAndLeaveTheClipboardAsItWas) {
    using sim::Fault;
    const FaultCase cases[] = {
        {Fault::OpenClipboard, 0, "before"}, {Fault::GetClipboardData, 1, "before"},
        {Fault::GlobalLock, 1, "before"},    {Fault::EnumClipboardFormats, 0, "= dir"},
        {Fault::GlobalAlloc, 0, "= dir"},    {Fault::GlobalLock, 2, "= dir"},
        {Fault::GlobalAlloc, 1, "= dir"},    {Fault::GlobalLock, 3, "= dir"},
        {Fault::EmptyClipboard, 0, "= dir"}};
    StartViewer();
    const std::string placed = WithNul("dir\r\n");
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault) * 10 + c.after);
        SetWindowTextA(window_, "before");
        int calls = sim::CallCount(c.fault);
        sim::FailNext(c.fault, 1, c.after);
        Place({{CF_OEMTEXT, placed}});
        CancelClipboardRetry(window_);
        EXPECT_GT(sim::CallCount(c.fault) - calls, c.after) << "the failing call was made";
        EXPECT_EQ(Title(), c.title);
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), placed);
        ExpectNothingHeld();
    }
}

// With -all, a block that cannot be read or copied, wherever it fails,
// means no fix: the clipboard is left as placed, or fixed whole.
TEST_F(LineBreakRemoval, WithAllAFailingReadLosesNothing) {
    using sim::Fault;
    StartViewer("-normal -all");
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const UINT ole = RegisterClipboardFormatA("DataObject");  // OLE's own, not put back
    const std::vector<sim::ClipData> placed = {
        {CF_UNICODETEXT, std::string("l\0s\0\r\0\n\0\0", 10)}, {html, "<b>"}, {ole, "1234"}};
    int fixed = 0, left = 0;
    for (Fault fault : {Fault::GetClipboardData, Fault::GlobalLock, Fault::GlobalAlloc,
                        Fault::EnumClipboardFormats}) {
        for (int after = 0; after < 8; ++after) {
            SCOPED_TRACE(static_cast<int>(fault) * 10 + after);
            sim::FailNext(fault, 1, after);
            Place(placed);
            sim::ClearFaults();
            CancelClipboardRetry(window_);
            bool rewritten = sim::ClipboardOwnerWindow() == window_;
            (rewritten ? fixed : left)++;
            EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT),
                      rewritten ? std::string("l\0s\0\0", 6) : placed[0].bytes);
            EXPECT_EQ(sim::ClipboardBlock(html), "<b>");
            EXPECT_EQ(sim::ClipboardHas(ole), !rewritten);
            ExpectNothingHeld();
        }
    }
    EXPECT_TRUE(fixed > 0 && left > 0);
}

// Beside pictures, a picture or block that cannot be copied means no fix and
// no copy left behind; with every copy made (the last pass), the owner's
// pictures go back and the DIB the platform made from the bitmap is made again.
TEST_F(LineBreakRemoval, WithAllAFailingPictureCopyLeavesNothingBehind) {
    using sim::Fault;
    StartViewer("-normal -all");
    const Formats placed = {CF_ENHMETAFILE, CF_METAFILEPICT, CF_BITMAP, CF_PALETTE, CF_UNICODETEXT};
    Formats listed = placed;
    listed.insert(listed.end(), {CF_LOCALE, CF_TEXT, CF_OEMTEXT, CF_DIB});
    const std::string text("c\0\r\0\n\0\0\0", 8);
    const std::vector<std::pair<Fault, int>> failures = {
        {Fault::CopyEnhMetaFile, 0},   {Fault::CopyMetaFile, 0}, {Fault::CreateBitmap, 0},
        {Fault::CreatePalette, 0},     {Fault::GlobalAlloc, 0},  {Fault::GlobalAlloc, 1},
        {Fault::GlobalAlloc, 2},       {Fault::GlobalAlloc, 3},  {Fault::GlobalAlloc, 4},
        {Fault::GlobalLock, 2},        {Fault::GlobalLock, 4},   {Fault::GlobalLock, 5},
        {Fault::CreateCompatibleDC, 0}};
    for (size_t n = 0; n <= failures.size(); ++n) {
        SCOPED_TRACE(n);
        const bool fails = n < failures.size();
        if (fails) sim::FailNext(failures[n].first, 1, failures[n].second);
        std::vector<std::pair<UINT, HANDLE>> data;
        for (UINT format : placed) data.emplace_back(format, sim::NewClipData(format, text));
        ASSERT_TRUE(sim::PlaceClipboardData(other_, data));
        sim::ClearFaults();
        CancelClipboardRetry(window_);
        EXPECT_EQ(sim::ClipboardOwnerWindow(), fails ? other_ : window_);
        EXPECT_EQ(sim::ClipboardFormats(), listed);
        EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), fails ? text : std::string("c\0\0\0", 4));
        EXPECT_EQ(sim::LivePictures(), 0);
        EXPECT_EQ(sim::LiveGdiObjects(), 0);
        ExpectNothingHeld();
    }
}

// Emptying has already released the old text when the new block is refused.
TEST_F(LineBreakRemoval, FreesTheNewBlockWhenTheClipboardRefusesIt) {
    StartViewer();
    sim::FailNext(sim::Fault::SetClipboardData);
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}});
    // The emptied clipboard's announcement came inside the change: it is
    // looked at once the loop runs.
    sim::PumpMessages();
    EXPECT_EQ(Title(), "[Empty ClipBoard]");
    ExpectNothingHeld();
}

}  // namespace
