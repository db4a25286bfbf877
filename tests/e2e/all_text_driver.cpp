// -all in the real Varnelo.exe: text of every kind placed first loses its
// trailing line breaks, the rest of the clipboard comes back byte for byte
// and in order, pictures copied exactly, or is left alone when it cannot.
// (Without -all, Unicode text is left alone: x_side_driver.)
// usage: all_text_driver PATH\TO\Varnelo.exe WORK_DIR [CASE]
#include <ole2.h>

#include <string>
#include <vector>

#include "tests/e2e/driver_util.h"
#include "tests/e2e/linux_clipboard.h"
#include "tests/e2e/menu_reader.h"

namespace {

using e2e::DwordBytes;
using e2e::Utf16;
using e2e::WithNul;
using Items = std::vector<e2e::ClipboardItem>;

// "Kalimera" in code page 1253 (Greek, 0x0408), and in Unicode.
const std::string kGreek = "\xca\xe1\xeb\xe7\xec\xdd\xf1\xe1";
const wchar_t kGreekUnicode[] = L"\x039a\x03b1\x03bb\x03b7\x03bc\x03ad\x03c1\x03b1";

// Places the items on an empty clipboard and waits until Varnelo has
// titled them; a rewrite is done before it closes the clipboard.
bool Place(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& items) {
    auto titled = [&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; };
    bool seen = e2e::EmptyTheClipboard(driver.owner) &&
                e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
                e2e::PlaceClipboardItems(driver.owner, items) &&
                e2e::Expect(e2e::WaitUntil(titled, e2e::kChangeTimeoutMs), "Varnelo titles it");
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return seen;
}

// The clipboard's formats in order, and the whole blocks of those given.
bool ExpectClipboard(const e2e::Driver& driver, const std::vector<UINT>& formats,
                     const Items& blocks) {
    bool holds = e2e::Expect(e2e::ClipboardFormats(driver.owner) == formats, "the formats");
    for (const e2e::ClipboardItem& item : blocks) {
        std::string bytes;
        e2e::ReadClipboardBlock(driver.owner, item.format, &bytes);
        holds &= e2e::ExpectEqual(std::to_string(item.format).c_str(), bytes, item.bytes);
    }
    return holds;
}

struct Fix {
    Items placed;
    std::vector<UINT> formats;  // the clipboard's formats once fixed
    Items left;                 // blocks then
    std::wstring title = L"";   // empty: the title of the platform's Unicode text then
};

bool ExpectFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Fix& fix) {
    std::string unicode;
    return Place(driver, varnelo, fix.placed) &&
           e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, fix.formats, fix.left) &&
           e2e::ReadClipboardBlock(driver.owner, CF_UNICODETEXT, &unicode) &&
           e2e::ExpectEqual(
               "the title", e2e::WindowTitleW(varnelo.window),
               fix.title.empty() ? e2e::WideTextTitle(e2e::UnicodeText(unicode)) : fix.title);
}

bool ExpectLeftAlone(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Items& placed) {
    return Place(driver, varnelo, placed) &&
           e2e::Expect(GetClipboardOwner() == driver.owner, "the clipboard keeps its owner") &&
           ExpectClipboard(driver, e2e::ClipboardFormats(driver.owner), placed);
}

bool RunFixes(const e2e::Driver& driver, const std::vector<Fix>& fixes) {
    e2e::RunningVarnelo varnelo;
    if (!e2e::StartWithEmptyClipboard(driver, "-all", &varnelo)) return false;
    for (const Fix& fix : fixes) {
        if (!ExpectFixed(driver, varnelo, fix)) return false;
    }
    return e2e::ExitsWithZero(varnelo);
}

// The marks of history and cloud sync follow the locale, as without -all;
// a text format placed besides keeps its own characters. Fixed OEM text
// ending in a lead byte is titled as fixed: the byte once took the CR along.
bool TextOfEveryKindLosesItsTrailingLineBreaks(const e2e::Driver& driver) {
    const UINT html = RegisterClipboardFormatA("HTML Format");
    const UINT own = RegisterClipboardFormatA("Varnelo Test Format");
    const UINT mark = RegisterClipboardFormatA("CanIncludeInClipboardHistory");
    const std::string page = WithNul("Version:0.9\r\n<html><body>text</body></html>\r\n");
    const std::string own_bytes("\x01\x00\x02\r\n", 5);
    return RunFixes(driver,
                    {{{{CF_UNICODETEXT, Utf16(L"calc.exe\n")}},
                      {CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"calc.exe")}}},
                     {{{CF_OEMTEXT, WithNul("ab\x81\n\r\r\n")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      {CF_OEMTEXT, CF_LOCALE, CF_TEXT, CF_UNICODETEXT},
                      {{CF_OEMTEXT, WithNul("ab\x81")}, {CF_LOCALE, DwordBytes(0x0411)}},
                      L"= ab\x30fb"},
                     {{{CF_TEXT, WithNul(kGreek + "\r\n")}, {CF_LOCALE, DwordBytes(0x0408)}},
                      {CF_TEXT, CF_LOCALE, CF_OEMTEXT, CF_UNICODETEXT},
                      {{CF_TEXT, WithNul(kGreek)},
                       {CF_LOCALE, DwordBytes(0x0408)},
                       {CF_UNICODETEXT, Utf16(kGreekUnicode)}}},
                     {{{CF_UNICODETEXT, Utf16(L"text\r\n")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}},
                      {CF_UNICODETEXT, html, own, CF_LOCALE, mark, CF_TEXT, CF_OEMTEXT},
                      {{CF_UNICODETEXT, Utf16(L"text")},
                       {html, page},
                       {own, own_bytes},
                       {mark, DwordBytes(0)}}},
                     {{{CF_TEXT, WithNul("a?\r\n")}, {CF_UNICODETEXT, Utf16(L"a\x0436\n")}},
                      {CF_TEXT, CF_UNICODETEXT, CF_LOCALE, CF_OEMTEXT},
                      {{CF_TEXT, WithNul("a?")}, {CF_UNICODETEXT, Utf16(L"a\x0436")}},
                      L"= a?"}});
}

// A bitmap (placed as a DIB) stays beside text of more than one line.
bool BitmapPrivateOrBreaksOnlyAreLeftAlone(const e2e::Driver& driver) {
    const UINT ignore = RegisterClipboardFormatA("Clipboard Viewer Ignore");
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           ExpectLeftAlone(
               driver, varnelo,
               {{CF_UNICODETEXT, Utf16(L"pic\r\nline 2\r\n")}, {CF_DIB, e2e::PatternDib(8, 8)}}) &&
           ExpectLeftAlone(driver, varnelo,
                           {{CF_UNICODETEXT, Utf16(L"secret\r\n")}, {ignore, "1"}}) &&
           ExpectLeftAlone(driver, varnelo, {{CF_UNICODETEXT, Utf16(L"\r\n\n")}}) &&
           e2e::ExitsWithZero(varnelo);
}

// --- One cell copied from a spreadsheet ---------------------------------
// Its pictures are rendered on request, then come its own formats and its
// text; the platform adds the locale, OEM text and the DIBs.

const UINT kDelayedPictures[] = {CF_ENHMETAFILE, CF_METAFILEPICT, CF_BITMAP};
const int kPictureSide = 32;
const LONG kPictureWidth = 2540;  // hundredths of a millimetre
const LONG kPictureHeight = 1270;

// What the spreadsheet rendered: how often each picture, the bitmap's
// pixels and the bits of its metafiles.
struct Renders {
    int count[CF_ENHMETAFILE + 1] = {};
    std::string pixels;
    std::string enhanced_bits;
    std::string metafile_bits;
};
Renders g_renders;

// The bitmap's pixels as 32-bit rows from the top, whatever its depth.
std::string Pixels(HBITMAP bitmap) {
    BITMAPINFO info = {};
    info.bmiHeader = {
        sizeof info.bmiHeader, kPictureSide, -kPictureSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(kPictureSide * kPictureSide * 4, '\0');
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, kPictureSide, &pixels[0], &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// A bitmap of 16 bits a pixel, a depth other than the screen's: a copy made
// through the screen's depth could lose it.
HBITMAP RenderBitmap() {
    std::vector<WORD> rows(kPictureSide * kPictureSide);
    for (size_t at = 0; at < rows.size(); ++at) rows[at] = static_cast<WORD>(at * 2053);
    HBITMAP bitmap = CreateBitmap(kPictureSide, kPictureSide, 1, 16, rows.data());
    g_renders.pixels = Pixels(bitmap);
    return bitmap;
}

std::string EnhancedBits(HENHMETAFILE metafile) {
    std::string bits(GetEnhMetaFileBits(metafile, 0, nullptr), '\0');
    GetEnhMetaFileBits(metafile, bits.size(), reinterpret_cast<BYTE*>(&bits[0]));
    return bits;
}

std::string MetafileBits(HMETAFILE metafile) {
    std::string bits(GetMetaFileBitsEx(metafile, 0, nullptr), '\0');
    GetMetaFileBitsEx(metafile, bits.size(), &bits[0]);
    return bits;
}

HANDLE RenderPicture(UINT format) {
    ++g_renders.count[format];
    if (format == CF_BITMAP) return RenderBitmap();
    if (format == CF_ENHMETAFILE) {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        Rectangle(dc, 1, 2, kPictureSide, kPictureSide);
        HENHMETAFILE metafile = CloseEnhMetaFile(dc);
        g_renders.enhanced_bits = EnhancedBits(metafile);
        return metafile;
    }
    HDC dc = CreateMetaFileA(nullptr);
    Ellipse(dc, 3, 4, kPictureSide, kPictureSide);
    METAFILEPICT picture = {MM_ANISOTROPIC, kPictureWidth, kPictureHeight, CloseMetaFile(dc)};
    g_renders.metafile_bits = MetafileBits(picture.hMF);
    return e2e::NewBlock(std::string(reinterpret_cast<const char*>(&picture), sizeof picture));
}

LRESULT CALLBACK SpreadsheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_RENDERFORMAT) return DefWindowProcA(window, message, wParam, lParam);
    SetClipboardData(static_cast<UINT>(wParam), RenderPicture(static_cast<UINT>(wParam)));
    return 0;
}

struct Spreadsheet {
    HWND window = e2e::CreateMessageWindow("VarneloDriverSpreadsheet", SpreadsheetProc);
    UINT binary = RegisterClipboardFormatA("Sheet Cells");
    UINT html = RegisterClipboardFormatA("HTML Format");
    UINT csv = RegisterClipboardFormatA("Csv");
    UINT rtf = RegisterClipboardFormatA("Rich Text Format");
    UINT link = RegisterClipboardFormatA("Link");
    ~Spreadsheet() { DestroyWindow(window); }

    // Its own formats as blocks, the text in the two forms it places.
    Items Blocks(const std::wstring& text) const {
        std::string plain(text.begin(), text.end());
        return {{binary, std::string("\x09\x08\x10\x00\x00\x06", 6)},
                {html, WithNul("Version:0.9\r\n<table><td>" + plain + "</td></table>")},
                {CF_UNICODETEXT, Utf16(text)},
                {CF_TEXT, WithNul(plain)},
                {csv, WithNul(plain)},
                {rtf, WithNul("{\\rtf1 " + plain + "\\par}")},
                {link, WithNul(std::string("Sheet\0Book1\0R1C1", 16))}};
    }

    // The formats as it lists them, the platform's behind the locale.
    std::vector<UINT> Listed(bool owner_display) const {
        std::vector<UINT> formats = {CF_ENHMETAFILE, CF_METAFILEPICT, CF_BITMAP, binary, html,
                                     CF_UNICODETEXT, CF_TEXT,         csv,       rtf,    link};
        if (owner_display) formats.push_back(CF_OWNERDISPLAY);
        formats.insert(formats.end(), {CF_LOCALE, CF_OEMTEXT, CF_DIB, CF_DIBV5});
        return formats;
    }

    bool Copy(const std::wstring& text, bool owner_display) const {
        g_renders = Renders();
        if (!e2e::OpenClipboardPatiently(window)) return false;
        bool placed = EmptyClipboard() != FALSE;
        for (UINT format : kDelayedPictures) SetClipboardData(format, nullptr);
        for (const e2e::ClipboardItem& item : Blocks(text)) {
            placed &= SetClipboardData(item.format, e2e::NewBlock(item.bytes)) != nullptr;
        }
        if (owner_display) SetClipboardData(CF_OWNERDISPLAY, nullptr);
        CloseClipboard();
        return e2e::Expect(placed, "the spreadsheet has placed its copy");
    }
};

// Waits until Varnelo has titled the copy, and whether it made a fix.
bool CopyCells(const e2e::Driver& driver, const e2e::Varnelo& varnelo, const Spreadsheet& sheet,
               const std::wstring& text, bool owner_display = false) {
    auto titled = [&] { return e2e::WindowTitle(varnelo.window) != e2e::kEmptyTitle; };
    bool seen = e2e::EmptyTheClipboard(driver.owner) &&
                e2e::WaitForTitle(varnelo.window, e2e::kEmptyTitle) &&
                sheet.Copy(text, owner_display) &&
                e2e::Expect(e2e::WaitUntil(titled, e2e::kChangeTimeoutMs), "Varnelo titles it");
    e2e::PumpFor(e2e::kSettleAfterChangeMs);
    return seen;
}

bool ExpectRendered(int times) {
    bool as_expected = true;
    for (UINT format : kDelayedPictures) as_expected &= g_renders.count[format] == times;
    return e2e::Expect(as_expected, times ? "each picture rendered once" : "no picture rendered");
}

bool ExpectLeftWithTheSheet(const e2e::Driver& driver, const Spreadsheet& sheet,
                            const std::wstring& text, bool owner_display = false) {
    return e2e::Expect(GetClipboardOwner() == sheet.window,
                       "the spreadsheet keeps the clipboard") &&
           ExpectClipboard(driver, sheet.Listed(owner_display), sheet.Blocks(text)) &&
           ExpectRendered(0);
}

// Opens the clipboard for the check, and closes it.
bool ExpectPicturesEqual(const e2e::Driver& driver) {
    if (!e2e::OpenClipboardPatiently(driver.owner)) return false;
    HANDLE picture = GetClipboardData(CF_METAFILEPICT);
    METAFILEPICT read = {};
    if (picture && GlobalSize(picture) >= sizeof read) {
        read = *static_cast<METAFILEPICT*>(GlobalLock(picture));
        GlobalUnlock(picture);
    }
    std::string metafile = read.hMF ? MetafileBits(read.hMF) : "";
    std::string enhanced =
        EnhancedBits(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
    std::string pixels = Pixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    CloseClipboard();
    return e2e::Expect(
               pixels == g_renders.pixels && pixels.find_first_not_of('\0') != std::string::npos,
               "the bitmap's pixels, not black") &&
           e2e::Expect(enhanced == g_renders.enhanced_bits, "the enhanced metafile's bits") &&
           e2e::Expect(metafile == g_renders.metafile_bits, "the metafile's bits") &&
           e2e::Expect(read.mm == MM_ANISOTROPIC && read.xExt == kPictureWidth &&
                           read.yExt == kPictureHeight,
                       "the metafile's mapping mode and extents");
}

// What a program that reads the clipboard through OLE gets as Unicode text.
std::wstring OleUnicodeText() {
    std::wstring text;
    IDataObject* data = nullptr;
    if (FAILED(OleInitialize(nullptr))) return text;
    if (SUCCEEDED(OleGetClipboard(&data))) {
        FORMATETC format = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            text = static_cast<const wchar_t*>(GlobalLock(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        data->Release();
    }
    OleUninitialize();
    return text;
}

// Every text format, Linux programs and OLE readers get the cell; the rest
// is the spreadsheet's, in its order.
bool ExpectCellFixed(const e2e::Driver& driver, const e2e::Varnelo& varnelo,
                     const Spreadsheet& sheet) {
    Items left = sheet.Blocks(L"cell 1\r\n");
    left[2].bytes = Utf16(L"cell 1");
    left[3].bytes = WithNul("cell 1");  // its plain text loses its line break too
    std::string oem;
    return e2e::Expect(GetClipboardOwner() == varnelo.window, "Varnelo has rewritten it") &&
           ExpectClipboard(driver, sheet.Listed(false), left) && ExpectRendered(1) &&
           e2e::ReadClipboardText(driver.owner, CF_OEMTEXT, &oem) &&
           e2e::ExpectEqual("the OEM text", oem, "cell 1") && ExpectPicturesEqual(driver) &&
           e2e::ExpectEqual("the title", e2e::WindowTitleW(varnelo.window), L"= cell 1") &&
           e2e::ExpectPastedInLinux(driver, "cell 1") &&
           e2e::ExpectEqual("the text an OLE reader gets", OleUnicodeText(), L"cell 1");
}

// Many rows, pictures beside owner-display data, and the cell with -all
// switched off from the menu are left as they are, none of their pictures
// rendered; switched on again, the cell is fixed at once.
bool ACellBesidePicturesIsFixedAndCopiedExactly(const e2e::Driver& driver) {
    Spreadsheet sheet;
    std::wstring rows;
    for (int row = 1; row <= 2000; ++row) rows += std::to_wstring(row) + L"\t2\t3\r\n";
    e2e::RunningVarnelo varnelo;
    return e2e::StartWithEmptyClipboard(driver, "-all", &varnelo) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, true, "\"Fix &all text\"") &&
           CopyCells(driver, varnelo, sheet, L"cell 1\r\n") &&
           ExpectCellFixed(driver, varnelo, sheet) &&
           CopyCells(driver, varnelo, sheet, L"cell 1\r\n", true) &&
           ExpectLeftWithTheSheet(driver, sheet, L"cell 1\r\n", true) &&
           CopyCells(driver, varnelo, sheet, rows) && ExpectLeftWithTheSheet(driver, sheet, rows) &&
           e2e::SendCommand(varnelo, IDM_FIX_ALL) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, false, "\"Fix &all text\"") &&
           CopyCells(driver, varnelo, sheet, L"cell 1\r\n") &&
           ExpectLeftWithTheSheet(driver, sheet, L"cell 1\r\n") &&
           e2e::SendCommand(varnelo, IDM_FIX_ALL) &&
           e2e::ExpectChecked(varnelo, IDM_FIX_ALL, true, "\"Fix &all text\"") &&
           e2e::Expect(e2e::WaitUntil([&] { return GetClipboardOwner() == varnelo.window; },
                                      e2e::kChangeTimeoutMs),
                       "switched on, Varnelo fixes the cell") &&
           e2e::ExitsWithZero(varnelo);
}

const e2e::TestCase kCases[] = {
    {"text_of_every_kind_loses_its_trailing_line_breaks",
     TextOfEveryKindLosesItsTrailingLineBreaks},
    {"bitmap_private_or_breaks_only_are_left_alone", BitmapPrivateOrBreaksOnlyAreLeftAlone},
    {"a_cell_beside_pictures_is_fixed_and_copied_exactly",
     ACellBesidePicturesIsFixedAndCopiedExactly},
};

}  // namespace

int main(int argc, char** argv) {
    // The folder for the pasted files; it may be there from an earlier run.
    if (argc >= 3) CreateDirectoryA(argv[2], nullptr);
    return e2e::RunDriver(argc, argv, kCases);
}
