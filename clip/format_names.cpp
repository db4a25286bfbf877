#include "clip/format_names.h"

namespace {

// The registered name may take 94 bytes of the title buffer, terminator included.
constexpr int kRegisteredNameSize = 94;

// wsprintfA has no bound: other_title must hold the longest number.
static_assert(sizeof "[-2147483648]" <= kOtherTitleSize);

constexpr UINT kRichTextA = 53894;
constexpr UINT kRichTextB = 54025;

struct NamedFormat {
    UINT format;
    const char* name;
};

constexpr NamedFormat kFormatNames[] = {
    {CF_TEXT, "[TEXT]"},
    {CF_BITMAP, "[Bitmap]"},
    {CF_METAFILEPICT, "[MetaFilePict]"},
    {CF_DIF, "[DIF]"},
    {CF_TIFF, "[TIFF]"},
    {CF_OEMTEXT, "[OEMTEXT]"},
    {CF_DIB, "[DIB]"},
    {CF_PALETTE, "[Palette]"},
    {CF_RIFF, "[RIFF]"},
    {CF_WAVE, "[WAVE]"},
    {CF_ENHMETAFILE, "[EnhMetaFile]"},
    {CF_OWNERDISPLAY, "[Owner Dispaly]"},
    {kRichTextA, "[53894=RTF]"},
    {kRichTextB, "[54025=RTF]"},
};

// The number as signed decimal, as the user sees -1 for "no listed format".
// wsprintfA rather than the C runtime's printf, which would bring its
// floating-point formatting into the program; the buffer fits any int.
void FormatNumber(UINT format, char* buffer) {
    wsprintfA(buffer, "%d", static_cast<int>(format));
}

}  // namespace

const char* FormatName(UINT format) {
    for (const NamedFormat& entry : kFormatNames) {
        if (entry.format == format) return entry.name;
    }
    return nullptr;
}

const char* KnownFormatName(UINT format, char* buffer) {
    if (GetClipboardFormatNameA(format, buffer, kRegisteredNameSize) > 0) return buffer;
    return FormatName(format);
}

const char* MenuEntryName(UINT format, char* buffer) {
    const char* name = KnownFormatName(format, buffer);
    if (name) return name;
    FormatNumber(format, buffer);
    return buffer;
}

const char* ChangeTitle(UINT format, char* buffer) {
    const char* name = KnownFormatName(format, buffer);
    if (name) return name;
    if (format == kClipboardEmpty) return "[Empty ClipBoard]";
    if (format == g_viewer.priority_list[0]) return g_viewer.other_title;
    return "[Non-text Format]";
}

const char* ListedChoiceTitle(UINT format, char* buffer) {
    const char* name = KnownFormatName(format, buffer);
    if (name) return name;
    // Position 0 keeps its "[".
    wsprintfA(g_viewer.other_title + 1, "%d]", static_cast<int>(format));
    return g_viewer.other_title;
}
