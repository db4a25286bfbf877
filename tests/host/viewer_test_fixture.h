// A running viewer on a fresh simulated desktop: the main window made as
// start-up makes it, a foreign viewer behind it in the chain, and another
// program that places the clipboard's contents.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/viewer_window.h"
#include "clip/clipboard_change.h"
#include "clip/format_menu.h"
#include "clip/format_names.h"
#include "sim/sim_desktop.h"

// The bytes of a C string with its terminating NUL.
inline std::string WithNul(const std::string& text) {
    return text + '\0';
}

class ViewerTest : public ::testing::Test {
   protected:
    void SetUp() override {
        sim::Reset();
        g_viewer = ViewerState();
        other_ = sim::CreateForeignWindow("OtherProgram");
        next_ = sim::CreateForeignWindow("NextViewer");
        SetClipboardViewer(next_);
        sim::ClearReceived(next_);
    }

    void TearDown() override {
        sim::Reset();
        g_viewer = ViewerState();
    }

    // Start-up with these options, up to the message loop.
    void StartViewer(const char* options = "-normal") {
        int show = 0;
        ASSERT_TRUE(RegisterViewerClass(nullptr));
        ASSERT_TRUE(ParseOptions(options, &show));
        ASSERT_TRUE(CreateViewerWindow(nullptr, show));
        CheckMenuItem(g_viewer.main_menu, IDM_DEFAULT, MF_CHECKED);
        window_ = FindWindowW(kClassName, nullptr);
        ASSERT_NE(window_, nullptr);
    }

    void Place(const std::vector<sim::ClipData>& formats) {
        ASSERT_TRUE(sim::PlaceClipboard(other_, formats));
    }

    // WM_DRAWCLIPBOARD messages that reached the next viewer.
    int Forwarded() const {
        int count = 0;
        for (const MSG& msg : sim::Received(next_)) count += msg.message == WM_DRAWCLIPBOARD;
        return count;
    }

    std::string Title() const { return sim::WindowTitle(window_); }

    // Every block freed or owned by the clipboard, every lock matched, and
    // the clipboard closed again.
    void ExpectNothingHeld() const {
        EXPECT_EQ(sim::LiveUnownedBlocks(), 0u);
        EXPECT_EQ(sim::OutstandingLocks(), 0);
        EXPECT_FALSE(sim::ClipboardIsOpen());
    }

    HWND other_ = nullptr;
    HWND next_ = nullptr;
    HWND window_ = nullptr;
};
