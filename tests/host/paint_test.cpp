// Painting: text, bitmap and a chosen format's bytes, the three fixed
// messages, failures that leave nothing behind, and a paint whose cost
// does not grow with the clipboard.
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <tuple>

#include "app_fixture.h"
#include "clip/clipboard_change.h"

namespace {

constexpr UINT kCentred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
constexpr UINT kWrapped = DT_EXPANDTABS | DT_WORDBREAK;
constexpr char kCannotOpen[] = "Unable to open clipboard.";
constexpr char kNoDataOfFormat[] = "No data of this format in clipboard.";
constexpr char kNoTextOrBitmap[] = "No TEXT or BITMAP data in clipboard.";
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 400;
constexpr int kCharWidth = 8;  // as the simulated desktop measures every character
constexpr size_t kHugeText = 64u << 20;
constexpr size_t kDrawnBytesBound = 64u << 10;

using Rows = std::vector<std::string>;

class PaintTest : public app_test::AppFixture {
   protected:
    void SetUp() override {
        AppFixture::SetUp();
        editor_ = sim::CreateForeignWindow("Editor");
        window_ = Start();
        custom_ = RegisterClipboardFormatA("Editor Private Data");
    }

    void Paint() {
        sim::ClearDrawRecords();
        InvalidateRect(window_, nullptr, TRUE);
        UpdateWindow(window_);
    }

    // The rows of text on screen, from flags-0 drawing at each record's top;
    // CR or LF with the other one after it is one break, as DrawText takes it.
    static Rows Screen() {
        Rows rows;
        for (const sim::DrawRecord& record : sim::DrawnText()) {
            size_t row = record.rect.top / sim::LineHeight();
            const std::string& text = record.text;
            for (size_t start = 0;; ++row) {
                size_t end = std::min(text.find_first_of("\r\n", start), text.size());
                if (rows.size() <= row) rows.resize(row + 1);
                rows[row] += text.substr(start, end - start);
                if (end == text.size()) break;
                bool pair = end + 1 < text.size() && text[end + 1] != text[end] &&
                            (text[end + 1] == '\r' || text[end + 1] == '\n');
                start = end + (pair ? 2 : 1);
            }
        }
        return rows;
    }

    static size_t DrawnBytes() {
        const auto& drawn = sim::DrawnText();
        return std::accumulate(
            drawn.begin(), drawn.end(), size_t{0},
            [](size_t sum, const sim::DrawRecord& r) { return sum + r.text.size(); });
    }

    // Picks `format` from the Format menu, as the user does.
    void Choose(UINT format) {
        SendMessageA(window_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(g_viewer.format_menu), 0);
        for (int n = 1; n <= g_viewer.format_count; ++n) {
            if (g_viewer.format_list[n] == format) {
                SendMessageA(window_, WM_COMMAND, IDM_DEFAULT + n, 0);
                return;
            }
        }
        ADD_FAILURE() << "format " << format << " is not listed";
    }

    void ExpectOnlyCentred(const char* message) {
        ASSERT_EQ(sim::DrawnText().size(), 1u);
        const sim::DrawRecord& record = sim::DrawnText()[0];
        EXPECT_EQ(record.text, message);
        EXPECT_EQ(record.flags, kCentred);
        EXPECT_EQ(Edges(record.rect), ClientEdges());
    }

    static std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& rect) {
        return {rect.left, rect.top, rect.right, rect.bottom};
    }

    std::tuple<LONG, LONG, LONG, LONG> ClientEdges() const {
        RECT client;
        GetClientRect(window_, &client);
        return Edges(client);
    }

    static void ExpectNothingLeftBehind() {
        EXPECT_EQ(sim::LiveDeviceContexts(), 0);
        EXPECT_EQ(sim::OutstandingLocks(), 0);
        EXPECT_EQ(sim::LiveUnownedBlocks(), 0u);
        EXPECT_FALSE(sim::ClipboardIsOpen());
    }

    HWND editor_ = nullptr;
    HWND window_ = nullptr;
    UINT custom_ = 0;
};

TEST_F(PaintTest, TextIsDrawnFromTheTopLeftWithItsOwnBreaksTabsAndPrefixes) {
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, "one\r\ntwo\tx\nA&B\r\rend\n\rlast"}}));
    Paint();
    EXPECT_EQ(Screen(), (Rows{"one", "two\tx", "A&B", "", "end", "last"}));
    for (const sim::DrawRecord& record : sim::DrawnText()) {
        EXPECT_EQ(record.flags, UINT{DT_NOCLIP}) << "unwrapped, tabs and '&' as DrawText has them";
        EXPECT_EQ(record.rect.left, 0);
        EXPECT_EQ(record.rect.right, kClientWidth);
    }
    ExpectNothingLeftBehind();

    // Default asks the next text paint for the title.
    SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
    EXPECT_EQ(sim::WindowTitle(window_), "[TEXT]");
    UpdateWindow(window_);
    EXPECT_EQ(sim::WindowTitle(window_), "= one");
    EXPECT_FALSE(g_viewer.title_pending);
}

// Blocks are exactly as long as placed: nothing past the first NUL or the end.
TEST_F(PaintTest, TextAndChosenBytesStopAtNulOrBlockEnd) {
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, "no terminator"}}));
    Paint();
    EXPECT_EQ(Screen(), (Rows{"no terminator"}));
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, std::string("kept\0hidden", 11)}}));
    Paint();
    EXPECT_EQ(Screen(), (Rows{"kept"}));

    for (const std::string& bytes : {std::string("a\tb c"), std::string("ab\0cd", 5)}) {
        ASSERT_TRUE(sim::PlaceClipboard(editor_, {{custom_, bytes}}));
        Choose(custom_);
        Paint();
        ASSERT_EQ(sim::DrawnText().size(), 1u);
        const sim::DrawRecord& record = sim::DrawnText()[0];
        EXPECT_EQ(record.text, bytes.substr(0, bytes.find('\0')));
        EXPECT_EQ(record.flags, kWrapped);
        EXPECT_EQ(Edges(record.rect), ClientEdges());
    }
    ExpectNothingLeftBehind();
}

// Chosen OEM text goes through its locale's OEM page, chosen Unicode text
// is drawn whole; text is drawn in the message font, the messages are not.
TEST_F(PaintTest, ChosenTextFormatsShowTheirOwnCharactersInTheMessageFont) {
    const DWORD russian = 0x0419;
    ASSERT_TRUE(sim::PlaceClipboard(
        editor_, {{CF_OEMTEXT, "\xaf\xe0\xa8\xa2\xa5\xe2"},
                  {CF_LOCALE, std::string(reinterpret_cast<const char*>(&russian), sizeof russian)},
                  {CF_UNICODETEXT, std::string("w\0i\0d\0e\0\x36\x04\0\0", 12)}}));
    const std::pair<UINT, std::u16string> chosen[] = {
        {CF_OEMTEXT, u"\u043f\u0440\u0438\u0432\u0435\u0442"}, {CF_UNICODETEXT, u"wide\u0436"}};
    for (const auto& [format, text] : chosen) {
        Choose(format);
        Paint();
        ASSERT_EQ(sim::DrawnText().size(), 1u);
        EXPECT_EQ(sim::DrawnText()[0].wide, text);
        EXPECT_EQ(sim::DrawnText()[0].flags, kWrapped);
        EXPECT_EQ(sim::DrawnText()[0].font, g_viewer.text_font);
    }
    // A change of the user's settings or of the DPI makes the font anew; a
    // DPI change without a rectangle or a DPI changes only what it has.
    const HFONT font = g_viewer.text_font;
    SendMessageA(window_, WM_SETTINGCHANGE, 0, 0);
    EXPECT_NE(g_viewer.text_font, font);
    SendMessageA(window_, WM_DPICHANGED, 144 << 16 | 144, 0);  // vertical, horizontal
    EXPECT_EQ(g_viewer.text_dpi, 144u);
    const RECT suggested = {0, 0, 320, 200};
    SendMessageA(window_, WM_DPICHANGED, 0, reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(ClientEdges(), Edges(suggested));
    EXPECT_EQ(g_viewer.text_dpi, 144u);
    EXPECT_EQ(sim::LiveFonts(), 1);
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {}));
    SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
    Paint();
    ExpectOnlyCentred(kNoTextOrBitmap);
    EXPECT_EQ(sim::DrawnText()[0].font, nullptr);
    ExpectNothingLeftBehind();
}

// A repaint draws what the paint before it kept; a Format choice, even of
// the format shown, and a larger window read again; exit frees what was kept.
TEST_F(PaintTest, RepaintReadsNothingUntilAFormatChoiceOrALargerWindow) {
    const auto reads = [] { return sim::CallCount(sim::Fault::OpenClipboard); };
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, "first\r\nlines"}}));
    sim::SetClientSize(window_, kClientWidth / 2, kClientHeight);
    Paint();
    int read = reads();
    Paint();
    EXPECT_EQ(reads(), read) << "a repaint reads nothing";
    Choose(CF_TEXT);
    read = reads();
    Paint();
    EXPECT_EQ(reads(), read + 1) << "a Format choice reads again";
    sim::SetClientSize(window_, kClientWidth, kClientHeight);
    Paint();
    EXPECT_EQ(reads(), read + 2) << "a larger window reads again";
    EXPECT_EQ(sim::LiveHeapBlocks(), 1u);
    SendMessageA(window_, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(sim::LiveHeapBlocks(), 0u);
}

TEST_F(PaintTest, BitmapIsCopiedAtItsOwnSizeCutAtTheClientArea) {
    HBITMAP bitmap = CreateBitmap(800, 600, 1, 32, nullptr);
    ASSERT_TRUE(sim::PlaceClipboardBitmap(editor_, bitmap));
    const struct { int cx, cy; } sizes[] = {{kClientWidth, kClientHeight}, {200, 100}};
    for (const auto& client : sizes) {
        sim::SetClientSize(window_, client.cx, client.cy);
        Paint();
        ASSERT_EQ(sim::Blits().size(), 1u);
        const sim::BlitRecord& b = sim::Blits()[0];
        EXPECT_EQ(std::make_tuple(b.source_bitmap, b.x, b.y, b.width, b.height, b.src_x, b.src_y),
                  std::make_tuple(bitmap, 0, 0, client.cx, client.cy, 0, 0));
        EXPECT_EQ(b.rop, static_cast<DWORD>(SRCCOPY));
        EXPECT_TRUE(sim::DrawnText().empty());
        ExpectNothingLeftBehind();
    }
}

// A DIB that was placed is drawn from its own block at its own size from
// the top-left corner, its pixels found behind header, colours or masks;
// one whose rows do not fit its block falls back to the platform's bitmap.
TEST_F(PaintTest, PlacedDibIsDrawnFromItsBlockNeverPastItsEnd) {
    constexpr size_t kHeader = sizeof(BITMAPINFOHEADER);
    const struct {
        const char* name;
        std::string dib;
        size_t pixels_offset;  // 0: not drawn as a DIB
    } rows[] = {
        {"32-bit bottom-up", app_test::Dib(64, 48, 32, BI_RGB, 0, 64 * 48 * 4), kHeader},
        {"32-bit top-down", app_test::Dib(64, -48, 32, BI_RGB, 0, 64 * 48 * 4), kHeader},
        {"8-bit, full palette", app_test::Dib(10, 3, 8, BI_RGB, 0, 12 * 3), kHeader + 256 * 4},
        {"8-bit, 16 colours", app_test::Dib(10, 3, 8, BI_RGB, 16, 12 * 3), kHeader + 16 * 4},
        {"16-bit with masks", app_test::Dib(3, 2, 16, BI_BITFIELDS, 0, 8 * 2), kHeader + 12},
        {"rows one byte short", app_test::Dib(64, 48, 32, BI_RGB, 0, 64 * 48 * 4 - 1), 0},
        {"compressed", app_test::Dib(64, 48, 8, 1, 0, 100), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const int cached = sim::CachedAnswers();
        ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_DIB, row.dib}}));
        if (row.pixels_offset) {
            EXPECT_EQ(sim::CachedAnswers(), cached) << "the platform converts nothing";
        }
        Paint();
        if (row.pixels_offset) {
            ASSERT_EQ(sim::DibDraws().size(), 1u);
            const sim::DibRecord& d = sim::DibDraws()[0];
            BITMAPINFOHEADER header;
            std::memcpy(&header, row.dib.data(), sizeof header);
            const DWORD height = std::abs(header.biHeight);
            EXPECT_EQ(std::make_tuple(d.x, d.y, d.width, d.height, d.start_scan, d.lines),
                      std::make_tuple(0, 0, DWORD(header.biWidth), height, 0u, height));
            EXPECT_EQ(d.pixels_offset, row.pixels_offset);
            EXPECT_TRUE(sim::Blits().empty());
        } else {
            EXPECT_TRUE(sim::DibDraws().empty());
            EXPECT_EQ(sim::Blits().size(), 1u) << "the platform's bitmap is drawn instead";
        }
        EXPECT_EQ(sim::DibReadsOutsideBlocks(), 0);
        ExpectNothingLeftBehind();
    }
}

TEST_F(PaintTest, WithoutTextBitmapOrChosenDataAFixedMessageIsCentred) {
    const struct {
        const char* name;
        std::vector<sim::ClipData> contents;
        bool choose;
        const char* message;
    } rows[] = {{"empty clipboard", {}, false, kNoTextOrBitmap},
                {"only a registered format", {{custom_, "x"}}, false, kNoTextOrBitmap},
                {"format shown only by priority", {{CF_WAVE, "RIFF"}}, false, kNoTextOrBitmap},
                {"enhanced metafile", {{CF_ENHMETAFILE, "EMF"}}, false, kNoTextOrBitmap},
                {"chosen format with no data", {}, true, kNoDataOfFormat}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.choose) {
            ASSERT_TRUE(sim::PlaceClipboardEmptyHandle(editor_, custom_));
            Choose(custom_);
        } else {
            ASSERT_TRUE(sim::PlaceClipboard(editor_, row.contents));
        }
        Paint();
        ExpectOnlyCentred(row.message);
        ExpectNothingLeftBehind();
    }
}

// Each failure shows what the path promises, and frees and unlocks all it took.
TEST_F(PaintTest, FailuresDrawTheRightMessageAndLeaveNothingBehind) {
    enum class Content { Text, Bitmap, Chosen };
    const struct {
        const char* name;
        Content content;
        sim::Fault fault;
        const char* message;  // nullptr: nothing drawn
        int after = 0;        // calls of this kind that pass first
    } rows[] = {
        {"text, clipboard held", Content::Text, sim::Fault::OpenClipboard, kCannotOpen},
        // The text's locale is read first.
        {"text, no data", Content::Text, sim::Fault::GetClipboardData, nullptr, 1},
        {"text, lock fails", Content::Text, sim::Fault::GlobalLock, nullptr, 1},
        {"bitmap, no context", Content::Bitmap, sim::Fault::CreateCompatibleDC, nullptr},
        {"bitmap, clipboard held", Content::Bitmap, sim::Fault::OpenClipboard, nullptr},
        {"bitmap, no data", Content::Bitmap, sim::Fault::GetClipboardData, nullptr},
        {"chosen, clipboard held", Content::Chosen, sim::Fault::OpenClipboard, kNoTextOrBitmap},
        {"chosen, no data", Content::Chosen, sim::Fault::GetClipboardData, kNoDataOfFormat},
        {"chosen, lock fails", Content::Chosen, sim::Fault::GlobalLock, nullptr},
        {"no paint context", Content::Text, sim::Fault::BeginPaint, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.content == Content::Bitmap) {
            ASSERT_TRUE(sim::PlaceClipboardBitmap(editor_, CreateBitmap(8, 8, 1, 32, nullptr)));
        } else {
            ASSERT_TRUE(sim::PlaceClipboard(editor_, {{custom_, "data"}, {CF_TEXT, "text"}}));
            if (row.content == Content::Chosen) {
                Choose(custom_);
            } else {
                SendMessageA(window_, WM_COMMAND, IDM_DEFAULT, 0);
            }
        }
        sim::FailNext(row.fault, 1, row.after);
        Paint();
        if (row.message) {
            ExpectOnlyCentred(row.message);
        } else {
            EXPECT_TRUE(sim::DrawnText().empty());
        }
        EXPECT_TRUE(sim::Blits().empty());
        // A paint that found the clipboard held is tried again; one without
        // a context leaves its area invalid, so it comes again anyway.
        sim::ClearDrawRecords();
        sim::AdvanceClock(kRetryIntervalMs);
        EXPECT_EQ(!sim::DrawnText().empty() || !sim::Blits().empty(),
                  row.fault == sim::Fault::OpenClipboard || row.fault == sim::Fault::BeginPaint);
        ExpectNothingLeftBehind();
        sim::ClearFaults();
    }
}

// 64 MB of text draws about one screenful: what can show, and no more.
TEST_F(PaintTest, HugeTextLaysOutOnlyTheVisibleLines) {
    constexpr int kClientHeightWithPartLine = 408;
    const int visible_rows =
        (kClientHeightWithPartLine + sim::LineHeight() - 1) / sim::LineHeight();
    sim::SetClientSize(window_, kClientWidth, kClientHeightWithPartLine);
    Rows expected;
    std::string text;
    text.reserve(kHugeText + 64);
    for (int row = 0; row < visible_rows; ++row) {
        expected.push_back("row " + std::to_string(row));
        text += expected.back() + "\r\n";
    }
    while (text.size() < kHugeText) text += "more below the window\r\n";
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, std::move(text)}}));

    Paint();
    EXPECT_LE(sim::DrawnText().size(), static_cast<size_t>(2 * visible_rows));
    EXPECT_LE(DrawnBytes(), kDrawnBytesBound);
    Rows screen = Screen();
    ASSERT_GE(screen.size(), expected.size());
    screen.resize(expected.size());
    EXPECT_EQ(screen, expected);

    // A line far wider than the window does not hide the line after it.
    const std::string wide(kHugeText / 8, 'w');
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{CF_TEXT, wide + "\r\nsecond"}}));
    Paint();
    EXPECT_LE(DrawnBytes(), kDrawnBytesBound);
    screen = Screen();
    ASSERT_EQ(screen.size(), 2u);
    EXPECT_EQ(screen[0].size(), size_t{kClientWidth / kCharWidth})
        << "the characters left of the edge";
    EXPECT_EQ(screen[0], wide.substr(0, screen[0].size()));
    EXPECT_EQ(screen[1], "second");

    // A chosen format's bytes are wrapped; a bounded prefix is drawn.
    std::string words;
    while (words.size() < kHugeText / 8) words += "many short words ";
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{custom_, words}}));
    Choose(custom_);
    Paint();
    ASSERT_EQ(sim::DrawnText().size(), 1u);
    const std::string& drawn = sim::DrawnText()[0].text;
    EXPECT_LE(drawn.size(), kDrawnBytesBound);
    EXPECT_GE(drawn.size(), 2u * kClientWidth);
    EXPECT_EQ(drawn, words.substr(0, drawn.size()));
    ExpectNothingLeftBehind();
}

// A word longer than a row, such as a picture's base64 inside HTML, leaves
// the rows after it on screen whether the platform breaks it or keeps it
// whole on one clipped row.
TEST_F(PaintTest, ChosenFormatShowsTheRowsAfterAWordLongerThanTheWindow) {
    std::string html = "<img src=\"data:image/png;base64," + std::string(kDrawnBytesBound, 'Q');
    html += "\">\r\n<p>the line after</p>";
    for (int row = 0; row < kClientHeight / sim::LineHeight(); ++row) html += "\r\nfiller row";
    ASSERT_TRUE(sim::PlaceClipboard(editor_, {{custom_, html}}));
    Choose(custom_);
    Paint();
    ASSERT_EQ(sim::DrawnText().size(), 1u);
    const std::string& drawn = sim::DrawnText()[0].text;
    const size_t visible_rows = kClientHeight / sim::LineHeight() + 1;
    for (bool long_words_break : {true, false}) {
        Rows shown = sim::WrappedRows(drawn, kClientWidth, long_words_break);
        Rows whole = sim::WrappedRows(html, kClientWidth, long_words_break);
        ASSERT_GE(shown.size(), visible_rows) << long_words_break;
        shown.resize(visible_rows);
        whole.resize(visible_rows);
        EXPECT_EQ(shown, whole) << long_words_break;
    }
}

// With hidden characters shown, a row of 100,000 zero-width spaces is laid
// out only as far as the right edge, and a lone surrogate at the end of a
// block without a terminator is a token, read no further. A repaint draws
// the same from what was kept, reads nothing, and no paint leaves a GDI
// object behind.
TEST_F(PaintTest, HiddenViewLaysOutTokensToTheRightEdgeAndNeverPastTheBlock) {
    std::u16string text(100000, u'\u200b');
    text += u"\r\nnext\xD800";
    ASSERT_TRUE(sim::PlaceClipboard(
        editor_, {{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.data()),
                                               text.size() * sizeof(char16_t))}}));
    SendMessageA(window_, WM_COMMAND, IDM_SHOW_HIDDEN, 0);
    const int objects = sim::LiveGdiObjects();
    const auto drawn = [] {
        std::vector<std::pair<LONG, std::u16string>> records;
        for (const sim::DrawRecord& record : sim::DrawnText()) {
            records.emplace_back(record.rect.top, record.wide);
        }
        return records;
    };
    Paint();
    const auto first = drawn();
    const auto second_row = std::find_if(first.begin(), first.end(),
                                         [](const auto& record) { return record.first > 0; });
    EXPECT_LE(second_row - first.begin(), kClientWidth / kCharWidth);
    EXPECT_EQ(std::vector(second_row, first.end()),
              (std::vector<std::pair<LONG, std::u16string>>{{sim::LineHeight(), u"next"},
                                                            {sim::LineHeight(), u"U+D800"}}));
    const int read = sim::CallCount(sim::Fault::OpenClipboard);
    Paint();
    EXPECT_EQ(sim::CallCount(sim::Fault::OpenClipboard), read);
    EXPECT_EQ(drawn(), first);
    EXPECT_EQ(sim::LiveGdiObjects(), objects);
    EXPECT_EQ(sim::LiveFonts(), 1);
    ExpectNothingLeftBehind();
}

// A row cut at its bound of units keeps a surrogate pair whole.
TEST_F(PaintTest, HiddenViewRowCutAtItsBoundKeepsAPairWhole) {
    sim::SetClientSize(window_, 9000 * kCharWidth, kClientHeight);
    const std::u16string text = std::u16string(8189, u'a') + u"\U0001F600b";
    ASSERT_TRUE(sim::PlaceClipboard(
        editor_, {{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(text.data()),
                                               text.size() * sizeof(char16_t))}}));
    SendMessageA(window_, WM_COMMAND, IDM_SHOW_HIDDEN, 0);
    Paint();
    const KeptText& kept = g_viewer.kept_text;
    EXPECT_EQ(std::count(kept.kinds, kept.kinds + kept.count, kUnpairedSurrogate), 0);
}

}  // namespace
