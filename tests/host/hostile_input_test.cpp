// Clipboard contents that no well-behaved program places: the viewer shows
// what it can, keeps no lock or block, and never reads or computes past
// what the data allows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "app/viewer_window.h"
#include "sim/sim_desktop.h"

namespace {

constexpr size_t kDibHeaderBytes = 40;
constexpr size_t kDibWidthOffset = 4;
constexpr size_t kDibHeightOffset = 8;
constexpr size_t kDibPlanesOffset = 12;
constexpr size_t kDibBitCountOffset = 14;

template <typename Value>
void PutAt(std::string* bytes, size_t offset, Value value) {
    std::memcpy(&(*bytes)[offset], &value, sizeof value);
}

// A bare device-independent bitmap header and no pixels.
std::string DibHeader(int32_t width, int32_t height) {
    std::string bytes(kDibHeaderBytes, '\0');
    PutAt<uint32_t>(&bytes, 0, kDibHeaderBytes);
    PutAt<int32_t>(&bytes, kDibWidthOffset, width);
    PutAt<int32_t>(&bytes, kDibHeightOffset, height);
    PutAt<uint16_t>(&bytes, kDibPlanesOffset, 1);
    PutAt<uint16_t>(&bytes, kDibBitCountOffset, 32);
    return bytes;
}

class HostileInputTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ResetAll();
        other_ = sim::CreateForeignWindow("OtherProgram");
    }
    void TearDown() override { ResetAll(); }

    static void ResetAll() {
        sim::Reset();
        g_viewer = ViewerState();
    }

    // Start-up as the platform runs it; the loop ends once nothing is left to do.
    void Start() {
        std::vector<char> line = {'-', 'n', 'o', 'r', 'm', 'a', 'l', '\0'};
        WinMain(nullptr, nullptr, line.data(), SW_SHOWNORMAL);
        window_ = sim::TopLevelWindow("Varnelo");
        ASSERT_NE(window_, nullptr);
    }

    void Repaint() {
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }

    static void ExpectNothingHeld() {
        EXPECT_EQ(sim::LiveUnownedBlocks(), 0u);
        EXPECT_EQ(sim::OutstandingLocks(), 0);
        EXPECT_FALSE(sim::ClipboardIsOpen());
    }

    HWND other_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(HostileInputTest, DibWhoseHeightHasNoPositiveFormGivesNoBitmapToPaint) {
    Start();
    std::string header = DibHeader(16, std::numeric_limits<int32_t>::min());
    ASSERT_TRUE(sim::PlaceClipboard(other_, {{CF_DIB, header}}));
    sim::ClearDrawRecords();
    Repaint();
    EXPECT_EQ(sim::WindowTitle(window_), "[Bitmap]");
    EXPECT_TRUE(sim::Blits().empty());
    ExpectNothingHeld();
}

}  // namespace

// A Run value edited by hand names this exe only by its exact path, read
// within the value's units.
TEST(RunValueTest, OnlyThisExesPathCounts) {
    const std::u16string exe = u"C:\\Tools\\Varnelo.exe";
    auto names_exe = [&](const std::u16string& value, size_t less = 0) {
        return RunValueNamesExe(value.data(), value.size() - less, exe.data(), exe.size());
    };
    EXPECT_TRUE(names_exe(u"\"c:\\tools\\VARNELO.EXE\" -tray -min"));
    EXPECT_TRUE(names_exe(std::u16string(u"C:\\Tools\\Varnelo.exe -all\0", 27)));
    EXPECT_FALSE(names_exe(u"\"C:\\Tools\\Other.exe\" -tray"));
    EXPECT_FALSE(names_exe(u"\"C:\\Tools\\Varnelo.exe.bak\""));
    EXPECT_FALSE(names_exe(u"\"C:\\Tools\\Varnelo.exe\"", 1));  // its quote past the end
    EXPECT_FALSE(names_exe(u"\""));
    EXPECT_FALSE(names_exe(u"\"" + std::u16string(32000, u'x')));  // no closing quote
}

// The tooltip holds 127 units and its NUL; a pair across the cut goes whole.
TEST(TipTextTest, CutKeepsPairsWhole) {
    char16_t tip[128];
    std::u16string title(200, u'a');
    EXPECT_EQ(CutTipText(title.c_str(), tip, 128), 127u);
    title.replace(126, 2, u"\xD83D\xDE00");
    EXPECT_EQ(CutTipText(title.c_str(), tip, 128), 126u);
    EXPECT_EQ(tip[126], 0);
    EXPECT_EQ(CutTipText(u"= a \xD83D\xDE00", tip, 128), 6u);
}
