// Text on the clipboard as the viewer reads it: the text format that its
// owner placed, that block's characters, converted a piece at a time through
// the code page of the clipboard's locale just as the platform makes Unicode
// text of it, and the window title made of its first line. Only what is
// shown is read and converted, never the whole text.
#pragma once

#include <cstddef>

#include "clip/viewer_state.h"

constexpr int kByteValues = 256;
constexpr unsigned kCarriageReturn = '\r';
constexpr unsigned kLineFeed = '\n';

// A locked text block: UTF-16 units for Unicode text; otherwise bytes in
// `code_page`, where a lead byte starts a two-byte character.
struct TextBlock {
    HANDLE handle;
    const void* data;
    size_t units;  // the block's size in units, as GlobalSize gives it
    bool wide;
    LCID locale;  // the clipboard's locale, read for plain and OEM text; 0: none
    UINT code_page;
    bool lead_byte[kByteValues];
    bool two_byte;  // some byte leads a two-byte character
};

// With the clipboard open: the first text format in the clipboard's order.
// The platform lists the text formats it makes behind those placed, so
// this is the one its owner placed first. When none is listed, plain text,
// which the platform offers for any text.
UINT PlacedTextFormat();

// With the clipboard open: whether its plain text is only the platform's
// conversion of the OEM text that comes first.
bool PlainTextIsFromOemText();

// With the clipboard open: locks the block of text `format`, with the code
// page that the platform converts it through; any other format's bytes are
// read in the process's own page. False, with nothing locked, when there is
// no block (`handle` is then null) or it cannot be locked.
bool LockTextBlock(UINT format, TextBlock* text);

// The same with the locale read already: no read of it here.
bool LockTextBlockIn(UINT format, LCID locale, TextBlock* text);
void UnlockTextBlock(const TextBlock& text);

// The unit at `at`, which lies inside the block.
unsigned TextUnit(const TextBlock& text, size_t at);

// Whether the text ends at `at`: its NUL, or the block's end.
bool EndsText(const TextBlock& text, size_t at);

// Where the character that starts at `at` ends. A lead byte takes the byte
// after it along, unless that is a NUL or lies past the block.
size_t NextCharacter(const TextBlock& text, size_t at);

// The UTF-16 text of the characters from `start` up to `end` (a character's
// end), at most `capacity` units of it; returns how many were written.
size_t ConvertText(const TextBlock& text, size_t start, size_t end, WCHAR* wide, size_t capacity);

// Whether the UTF-16 unit starts a surrogate pair, or ends one.
bool IsHighSurrogate(WCHAR unit);
bool IsLowSurrogate(WCHAR unit);

// Whether the unit is a CR or an LF, in text of any kind.
bool IsLineBreak(unsigned unit);

// Where the line break at `at` ends, as a paste delivers it: a CR and the
// LF after it are one break, a lone CR or LF one each ("\n\r" is two).
size_t LineBreakEnd(const TextBlock& text, size_t at);

// Length of the text in a block of bytes: up to the first NUL or the block's end.
size_t MeasureText(const char* text, size_t block_size);

// Length of the text in units: up to its terminator or the block's end.
size_t TextLength(const TextBlock& text);

// Fills `title` (kTitleSize units) with "= " + the first line of `text`
// (at most 90 units, never half a surrogate pair) + "..." when it goes on.
void BuildTextTitle(const WCHAR* text, size_t length, WCHAR* title);

// Fills `title` (kTitleSize units) from the text's first line.
void MakeTextTitle(const TextBlock& text, WCHAR* title);

// Sets the window's title, made by MakeTextTitle.
void ShowTextTitle(HWND window, const WCHAR* title);

// Sets the window's title from the text's first line.
void SetTextTitle(HWND window, const TextBlock& text);
