// What the application-shell tests share: a fresh desktop and program state
// for every test, and the program started as the platform starts it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_window.h"
#include "sim/sim_desktop.h"
#include "tests/expected_texts.h"

namespace app_test {

constexpr char kVarnelo[] = "Varnelo";

inline bool IsChecked(HWND window, UINT id) {
    return (GetMenuState(GetMenu(window), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// A DIB of `width` x `height` pixels: header, its colour table (`colours`
// entries, or the whole palette when 0) or, with BI_BITFIELDS, three masks,
// then `pixel_bytes` bytes of rows.
inline std::string Dib(int32_t width, int32_t height, WORD bits, DWORD compression, DWORD colours,
                       size_t pixel_bytes) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biCompression = compression;
    header.biClrUsed = colours;
    size_t entries = colours ? colours : bits <= 8 ? size_t{1} << bits : 0;
    size_t table = compression == BI_BITFIELDS ? 3 * sizeof(DWORD) : entries * sizeof(RGBQUAD);
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    return bytes + std::string(table + pixel_bytes, '\x7f');
}

class AppFixture : public ::testing::Test {
   protected:
    void SetUp() override { ResetAll(); }
    void TearDown() override { ResetAll(); }

    static void ResetAll() {
        sim::Reset();
        g_viewer = ViewerState();
    }

    // WinMain with `options` as the command line after the program's name.
    static int RunWinMain(const std::string& options) {
        std::vector<char> line(options.begin(), options.end());
        line.push_back('\0');
        // The platform's show request is ignored; a maximise here must not show.
        return WinMain(nullptr, nullptr, line.data(), SW_SHOWMAXIMIZED);
    }

    // A first start whose message loop runs until nothing is left to do;
    // the window stays for the test to drive.
    static HWND Start(const std::string& options = "-normal") {
        EXPECT_EQ(RunWinMain(options), 0);
        return sim::TopLevelWindow(kVarnelo);
    }

    // A program that joined the viewer chain before Varnelo.
    static HWND ForeignViewer(const char* class_name = "OtherViewer") {
        HWND viewer = sim::CreateForeignWindow(class_name);
        SetClipboardViewer(viewer);
        sim::ClearReceived(viewer);
        return viewer;
    }
};

}  // namespace app_test
