// A long session: thousands of clipboard changes of every kind, with the
// window open so that each is painted, leave no block, lock, bitmap or
// device context behind, and every OEM text ending in CR LF is fixed.
#include <cstring>
#include <string>
#include <vector>

#include "app_fixture.h"

namespace {

constexpr int kRounds = 250;
constexpr int kFixesPerRound = 3;
constexpr int kRegisteredFormats = 120;
constexpr uint32_t kRussian = 0x0419;
constexpr int kBitmapWidth = 64;
constexpr int kBitmapHeight = 48;
constexpr size_t kDibPixelBytes = kBitmapWidth * kBitmapHeight * 4;

std::string Bytes(const void* data, size_t size) {
    return std::string(static_cast<const char*>(data), size);
}

using LongRunTest = app_test::AppFixture;

TEST_F(LongRunTest, ThousandsOfChangesOfEveryKindLeaveNothingBehind) {
    HWND window = Start("-normal");
    HWND other = sim::CreateForeignWindow("OtherProgram");
    std::vector<sim::ClipData> registered;
    for (int n = 0; n < kRegisteredFormats; ++n) {
        UINT format = RegisterClipboardFormatA(("Other " + std::to_string(n)).c_str());
        registered.push_back({format, "data"});
    }
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    const std::u16string unicode = u"soak";
    const std::string russian_text = "\xaf\xe0\xa8\xa2\xa5\xe2";
    for (int round = 0; round < kRounds; ++round) {
        const std::string text = "soak " + std::to_string(round);
        const std::string oem = text + "\r\n" + '\0';
        std::vector<sim::ClipData> with_registered = {{CF_OEMTEXT, oem}};
        with_registered.insert(with_registered.end(), registered.begin(), registered.end());
        const std::vector<std::vector<sim::ClipData>> changes = {
            {{CF_OEMTEXT, oem}},
            {{CF_OEMTEXT, russian_text + "\r\n" + '\0'}, {CF_LOCALE, Bytes(&kRussian, 4)}},
            with_registered,
            {{CF_UNICODETEXT, Bytes(unicode.c_str(), (unicode.size() + 1) * 2)}},
            {{CF_TEXT, text + '\0'}},
            {{CF_TEXT, text + '\0'}, {ignore, "1"}},
            {},
            {{CF_DIB, app_test::Dib(kBitmapWidth, kBitmapHeight, 32, BI_RGB, 0, kDibPixelBytes)}},
        };
        for (const auto& change : changes) {
            ASSERT_TRUE(sim::PlaceClipboard(other, change));
            if (!change.empty() && change[0].format == CF_OEMTEXT) {
                const std::string& placed = change[0].bytes;
                ASSERT_EQ(sim::ClipboardBlock(CF_OEMTEXT),
                          placed.substr(0, placed.size() - 3) + '\0');
            }
        }
        ASSERT_TRUE(sim::PlaceClipboardBitmap(
            other, CreateBitmap(kBitmapWidth, kBitmapHeight, 1, 32, nullptr)));
        EXPECT_EQ(sim::WindowTitle(window), "[Bitmap]");
    }
    EXPECT_GE(sim::PaintCount(window), 9 * kRounds);
    EXPECT_EQ(sim::LiveUnownedBlocks(), 0u);
    EXPECT_EQ(sim::OutstandingLocks(), 0);
    EXPECT_EQ(sim::LiveGdiObjects(), 0);
    EXPECT_EQ(sim::LiveDeviceContexts(), 0);
    EXPECT_EQ(sim::DibReadsOutsideBlocks(), 0);
    // Only the one paint of each fixed text reads Varnelo's own data again:
    // its locale and its text.
    EXPECT_LE(sim::CachedAnswers(), 2 * kFixesPerRound * kRounds);
}

}  // namespace
