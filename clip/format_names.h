// Names of clipboard formats for the title and the Format menu: the
// platform's registered name first, then the program's own table, then a
// fallback that differs by where the name is shown.
#pragma once

#include "clip/viewer_state.h"

// The program's bracketed name of a standard format, or nullptr.
const char* FormatName(UINT format);

// Registered name (written into `buffer`, kTitleSize bytes), else FormatName,
// else nullptr.
const char* KnownFormatName(UINT format, char* buffer);

// A Format-menu entry: falls back to the number in decimal ("13").
const char* MenuEntryName(UINT format, char* buffer);

// The title after a clipboard change or the Default command, for a display
// format other than text: falls back to "[Empty ClipBoard]", other_title or
// "[Non-text Format]".
const char* ChangeTitle(UINT format, char* buffer);

// The title after a listed format is chosen: falls back to "[<number>]",
// kept in other_title.
const char* ListedChoiceTitle(UINT format, char* buffer);
