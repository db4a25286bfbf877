// What editors record beside a copied text about its shape, read from the
// blocks they place: bytes only, never past a block's end, and nothing of
// the platform, so that hostile blocks can be tried on it alone.
#pragma once

#include <cstddef>
#include <cstdint>

// Whether a block type record holds the byte of a column block (0x02).
bool IsColumnBlockRecord(const void* data, size_t size);

// Vim's record of a copy: its motion type, then the lengths of the plain
// and the Unicode text it placed, which Vim reads the texts by.
constexpr int32_t kVimLineWise = 1;
constexpr int32_t kVimBlockWise = 2;

// The motion type; false when the block is shorter than the type and the
// two lengths.
bool ReadVimMotion(const void* data, size_t size, int32_t* motion);

// Whether web custom data (a pickle of type and value pairs of UTF-16
// strings) holds the code editor's data of a copy made with nothing
// selected: "vscode-editor-data" with "isFromEmptySelection":true. Data
// that is malformed anywhere up to that pair holds none.
bool IsEmptySelectionEditorData(const void* data, size_t size);
