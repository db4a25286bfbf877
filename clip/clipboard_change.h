// What the viewer does when the clipboard changes: choose the display
// format, set the title, remove the trailing line breaks of OEM text, and
// pass the notification on along the viewer chain.
#pragma once

#include <cstddef>

#include "clip/text_code_pages.h"
#include "clip/viewer_state.h"

// The timer that retries the text path while another program holds the clipboard.
constexpr UINT_PTR kRetryTimerId = 1;
constexpr UINT kRetryIntervalMs = 50;
constexpr UINT kRetryBoundMs = 10000;

// A new shareable block of `size` bytes for the clipboard: the `count`
// bytes given, then zeros.
HGLOBAL NewSharedBlock(const void* bytes, size_t count, size_t size);

// With the clipboard open: the DWORD at the start of the block of `format`;
// false when there is none or the block is shorter.
bool ReadClipboardDword(UINT format, DWORD* value);

// Length of the text in a block: up to the first NUL or the block's end.
size_t MeasureText(const char* text, size_t block_size);

// With the clipboard open: whether its plain text is only the platform's
// conversion of the OEM text that comes first.
bool PlainTextIsFromOemText();

// Fills `title` (kTitleSize bytes) with "= " + the first line of `text`
// (at most 90 bytes) + "..." when the line goes on.
void BuildTextTitle(const char* text, size_t length, char* title);

// Sets the window's text title from a text block, plain text or, with its
// code pages, OEM text, of which only the bytes the title looks at are read
// and converted; returns the plain text's length as far as the title looks,
// which tells a text longer than one byte.
size_t SetTextTitle(HWND window, const char* bytes, size_t block_size,
                    const TextCodePages* oem_pages);

// Handler of WM_DRAWCLIPBOARD.
void ClipboardChanged(HWND window, WPARAM wParam, LPARAM lParam);

// Handler of the retry timer's WM_TIMER.
void RetryClipboardText(HWND window);
void CancelClipboardRetry(HWND window);

// With the clipboard open: replaces OEM text ending in CR LF pairs by the
// same text without them, as the clipboard's only format.
void TrimTrailingLineBreak();
