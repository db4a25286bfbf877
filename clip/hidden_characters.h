// The characters a paste delivers that a reader of the text cannot see, or
// cannot tell from others: what each one is, the short name the view
// shows for it, and what removing hidden characters does with it. One
// table, so that the view, the status bar and the remover always agree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32_door.h"

// The kinds the status bar counts come first, in its order.
enum HiddenKind : unsigned char {
    kZeroWidth,
    kNoBreakSpace,
    kOtherSpace,
    kDirectionControl,
    kControlCharacter,
    kByteOrderMark,
    kSoftHyphen,
    kTagCharacter,
    kUnpairedSurrogate,
    kCountedKinds,
    kTab = kCountedKinds,  // marked, never counted
    kLineBreak,            // CR or LF: the row ends there
    kShown,                // drawn as itself
    kSurrogateTail,        // the second unit of a pair, which goes with the first
};

enum CleanAction : unsigned char {
    kKeep,
    kRemove,
    kMakeSpace,
};

constexpr WCHAR kSpace = ' ';
constexpr uint32_t kWavingBlackFlag = 0x1F3F4;
constexpr uint32_t kCancelTag = 0xE007F;
// Room for the longest name, "TAG U+E0001", and its NUL.
constexpr size_t kTokenNameSize = 16;

// A character of Unicode text; a lone surrogate comes as its own value.
HiddenKind ClassifyCodePoint(uint32_t code_point);

// A character of plain or OEM text, by its byte or by the UTF-16 unit the
// code page made of it: only the controls and DEL are hidden there, and
// bytes from 0x80 up are the code page's text.
HiddenKind ClassifyByteText(unsigned unit);

// What removing hidden characters does with a character of the kind; tags
// inside a subdivision flag are kept by the caller, who sees the sequence.
CleanAction CleanActionOf(uint32_t code_point, HiddenKind kind);

// The character of UTF-16 text that starts at `at`, of `count` units: a pair
// whole, a lone surrogate as itself. Returns where it ends.
size_t DecodeUnits(const WCHAR* units, size_t count, size_t at, uint32_t* code_point);

// The kinds of a row's units, one each; the second unit of a pair is a tail.
void ClassifyUnits(const WCHAR* units, size_t count, bool wide, unsigned char* kinds);

// Writes the token's name, NUL-terminated, into `name` (kTokenNameSize
// units); returns its length.
size_t TokenName(uint32_t code_point, HiddenKind kind, WCHAR* name);
