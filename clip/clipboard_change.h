// What the viewer does when the clipboard changes: choose the display
// format, set the title, remove the trailing line breaks of the text, and
// pass the notification on along the viewer chain.
#pragma once

#include "clip/viewer_state.h"

// The timer that retries the text path while another program holds the
// clipboard, or while the answer of a busy owner is awaited.
constexpr UINT_PTR kRetryTimerId = 1;
constexpr UINT kRetryIntervalMs = 50;
constexpr UINT kRetryBoundMs = 10000;

// Posted to the own window for a change announced while another was
// handled; it carries that announcement's parameters.
constexpr UINT kDeferredChangeMessage = WM_APP + 1;

// Handler of WM_DRAWCLIPBOARD.
void ClipboardChanged(HWND window, WPARAM wParam, LPARAM lParam);

// Handler of kDeferredChangeMessage: the newest state of the changes that
// came while another was handled.
void DeferredClipboardChange(HWND window, WPARAM wParam, LPARAM lParam);

// Handler of the retry timer's WM_TIMER.
void RetryClipboardText(HWND window);
void CancelClipboardRetry(HWND window);
