// -clean and Undo fix where the end-to-end suite cannot reach: broken
// pairs, tag runs, a block without its terminator, Ctrl+Z, and every
// allocation and placement failing in turn.
#include <string>
#include <vector>

#include "viewer_test_fixture.h"

namespace {

std::string Bytes(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
}

const std::string kTricked = Bytes(u"rm\u200B -rf\r\n") + std::string(2, '\0');
const std::string kCleaned = Bytes(u"rm -rf\r\n") + std::string(2, '\0');

class HiddenRemoval : public ViewerTest {
   protected:
    bool UndoOffered() const {
        return !(GetMenuState(g_viewer.main_menu, IDM_UNDO_FIX, MF_BYCOMMAND) & MF_GRAYED);
    }
    void PressCtrlZ() {
        sim::HoldKey(VK_CONTROL);
        SendMessageA(window_, WM_KEYDOWN, 'Z', 0);
        sim::HoldKey(0);
    }
};

// Cleaning may join two lone surrogates into a pair; a subdivision flag
// keeps its tags, a run without a cancel tag loses them. The content put
// back is not fixed again, even when the clipboard is looked at anew.
TEST_F(HiddenRemoval, HostileTextIsCleanedAndPutBackToTheUnit) {
    StartViewer("-normal -clean -all");
    const std::u16string flag = u"\U0001F3F4\U000E0067\U000E0062\U000E007F";
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"a\xD800\u200B\xDC00\xDC00\r\n", u"a\xD800\xDC00\xDC00"},
        {u"x\U0001F3F4\U000E0067\U000E0062\r\n\u2060", u"x\U0001F3F4"},
        {flag + u"\U000E0061\u00A0" + flag + u"\U000E0061", flag + u" " + flag},
        {u"\uFEFFa\u00A0b\u202F\u00AD\r\n\u200B\r\n\u200E", u"a b "},
        {u"ok\u200B", u"ok"}};
    for (const auto& [placed, left] : cases) {
        SCOPED_TRACE(Bytes(placed));
        Place({{CF_UNICODETEXT, Bytes(placed)}});  // no terminator
        EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), Bytes(left + u'\0'));
        EXPECT_TRUE(UndoOffered());
        PressCtrlZ();
        PostMessageA(window_, WM_DRAWCLIPBOARD, 0, 0);
        sim::PumpMessages();
        EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), Bytes(placed + u'\0'));
        EXPECT_FALSE(UndoOffered());
        ExpectNothingHeld();
    }
}

// The pass that reads the text cleans it into a block made exactly the
// size of the text left, of one-byte text too; OEM text loses only whole
// CR LF pairs behind it. Hundreds of edits outgrow the record's first room,
// and the undo still puts back every unit. Ordinary text read many units
// at a time stops at a hidden character or a break wherever it stands.
TEST_F(HiddenRemoval, EveryKindOfTextIsCleanedToExactlyWhatIsLeft) {
    StartViewer("-normal -clean");
    std::string bells, letters;
    std::u16string spaced, spaces, runs, runs_left;
    for (int n = 0; n < 700; ++n) {
        bells += "x\x07";
        letters += "x";
        spaced += u"a\u200B\u00A0";
        spaces += u"a ";
    }
    for (int n = 0; n < 40; ++n) {
        const std::u16string run(n % 19, n % 2 ? u'\u0436' : u'q');
        runs += run + (n % 3 ? u"\u200B" : u"\r\n");
        runs_left += run + (n % 3 ? u"" : u"\r\n");
    }
    const sim::ClipData cases[][2] = {
        {{CF_OEMTEXT, WithNul("ab\x07\r\n\x1b\n\r\n")}, {CF_OEMTEXT, WithNul("ab\r\n\n")}},
        {{CF_OEMTEXT, WithNul(bells + "\r\n\x07")}, {CF_OEMTEXT, WithNul(letters)}},
        {{CF_TEXT, WithNul("p\x7f\r\n")}, {CF_TEXT, WithNul("p\r\n")}},
        {{CF_UNICODETEXT, Bytes(spaced + u"\r\n")},
         {CF_UNICODETEXT, Bytes(spaces + u"\r\n") + std::string(2, '\0')}},
        {{CF_UNICODETEXT, Bytes(runs + u"x")},
         {CF_UNICODETEXT, Bytes(runs_left + u"x") + std::string(2, '\0')}}};
    for (const auto& [placed, left] : cases) {
        SCOPED_TRACE(placed.bytes.substr(0, 16));
        Place({placed});
        EXPECT_EQ(sim::ClipboardBlock(left.format), left.bytes);
        PressCtrlZ();
        const size_t unit = placed.format == CF_UNICODETEXT ? 2 : 1;
        EXPECT_EQ(sim::ClipboardBlock(placed.format),
                  unit == 2 ? placed.bytes + std::string(2, '\0') : placed.bytes);
        ExpectNothingHeld();
    }
}

// Dropping the trailing line breaks of a large text keeps a few bytes, however
// many pairs there are, cleaned or not.
TEST_F(HiddenRemoval, TheUndoOfATrailingBreakFixIsAFewBytes) {
    StartViewer("-normal -all");
    std::string pairs;
    for (int n = 0; n < 100000; ++n) pairs += "\r\n";
    for (const std::string& breaks : {std::string("\r\n"), "\n\r\n" + pairs + "\n"}) {
        std::string text = std::string(1 << 20, 'x') + breaks;
        Place({{CF_OEMTEXT, text}});
        EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT).size(), (1u << 20) + 1);
        EXPECT_LE(g_viewer.undo.texts[0].record.size, 16u);
        PressCtrlZ();
        EXPECT_TRUE(sim::ClipboardBlock(CF_OEMTEXT) == WithNul(text)) << "no diff of 1 MB";
    }
}

TEST_F(HiddenRemoval, TheUndoOfManyTrailingBreaksCleanedIsAFewBytes) {
    StartViewer("-normal -clean -all");
    std::u16string text = u"x\u200By";
    for (int n = 0; n < 100000; ++n) text += n == 500 ? u"\u200B" : u"\r\n";
    Place({{CF_UNICODETEXT, Bytes(text) + std::string(2, '\0')}});
    EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), Bytes(u"xy") + std::string(2, '\0'));
    EXPECT_LE(g_viewer.undo.texts[0].record.size, 24u);
    PressCtrlZ();
    EXPECT_EQ(sim::ClipboardBlock(CF_UNICODETEXT), Bytes(text) + std::string(2, '\0'));
}

// A viewer that joined later passes the fix's announcement on only later.
TEST_F(HiddenRemoval, AFixAnnouncedLaterThroughAViewerAheadIsUndone) {
    StartViewer("-normal");
    SetClipboardViewer(sim::CreateForeignWindow("ViewerAhead"));
    Place({{CF_OEMTEXT, WithNul("dir\r\n")}});
    SendMessageA(window_, WM_DRAWCLIPBOARD, 0, 0);
    EXPECT_EQ(sim::ClipboardBlock(CF_OEMTEXT), WithNul("dir"));
    EXPECT_TRUE(UndoOffered());
}

// A fix or an undo that fails at any step leaves the clipboard as it was
// and holds nothing; only a refusal after emptying loses what was refused.
TEST_F(HiddenRemoval, AFailureAtAnyStepLosesNothing) {
    using sim::Fault;
    StartViewer("-normal -clean");
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const std::vector<sim::ClipData> placed = {{CF_UNICODETEXT, kTricked}, {html, "<b>"}};
    int outcomes[3] = {};  // left, fixed, undone
    for (bool undo : {false, true}) {
        for (Fault fault : {Fault::GlobalAlloc, Fault::GlobalLock, Fault::GetClipboardData,
                            Fault::SetClipboardData, Fault::EnumClipboardFormats}) {
            for (int after = 0; after < 6; ++after) {
                SCOPED_TRACE(undo * 100 + static_cast<int>(fault) * 10 + after);
                if (!undo) sim::FailNext(fault, 1, after);
                Place(placed);
                if (undo) sim::FailNext(fault, 1, after);
                if (undo) SendMessageA(window_, WM_COMMAND, IDM_UNDO_FIX, 0);
                sim::ClearFaults();
                CancelClipboardRetry(window_);
                const std::string text = sim::ClipboardBlock(CF_UNICODETEXT);
                bool emptied = fault == Fault::SetClipboardData && text.empty();
                EXPECT_TRUE(emptied || text == kTricked || text == kCleaned);
                EXPECT_EQ(UndoOffered(), text == kCleaned);
                // A format refused once emptied is left out, as with -all.
                bool refused = fault == Fault::SetClipboardData;
                EXPECT_TRUE(refused || sim::ClipboardBlock(html) == "<b>");
                outcomes[text == kCleaned ? 1 : undo && !emptied ? 2 : 0]++;
                ExpectNothingHeld();
            }
        }
    }
    EXPECT_TRUE(outcomes[0] > 0 && outcomes[1] > 0 && outcomes[2] > 0);
}

}  // namespace
