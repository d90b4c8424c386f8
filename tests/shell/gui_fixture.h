// The fixture of the GUI tests: skips without a display, starts quib.exe
// with a layout in the profile, removes the profile values afterwards, and
// writes screenshots to the artifacts folder.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "gui_test_util.h"

namespace quibtest {

constexpr const char* kScientific = "0";
constexpr const char* kStandard = "1";

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no display";
  }
  void TearDown() override {
    SetLayoutProfile(nullptr);
    WriteProfileStringA("intl", "sDecimal", nullptr);
  }

  // Starts quib.exe; fails the test when its window does not appear.
  static void Start(QuibApp& app, const std::string& arguments, const char* layout) {
    std::string error;
    ASSERT_TRUE(app.Start(arguments, layout, error)) << error;
    ASSERT_TRUE(app.Focus()) << "the layout window does not take the focus";
  }

  // Writes a screenshot of `window` once it has painted everything.
  static void Screenshot(HWND window, const char* name) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    const std::string path = ArtifactsDir() + "\\" + name;
    EXPECT_TRUE(SavePng(CaptureWindow(window), path)) << path;
  }
};

}  // namespace quibtest
