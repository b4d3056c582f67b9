// Saving where Windows refuses: each failure is a FileError naming the file, with the system's
// error number, and nothing of the recording is lost.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "framework/FileError.h"
#include "tests/recorder/RecorderFixture.h"

// After the fixture: the system's header defines macros that would clash with the recorder's.
// clang-format off
#include <windows.h>
// clang-format on

namespace sonavel::testing {
namespace {

using SaveFailureTest = RecorderTest;

TEST_F(SaveFailureTest, FilesThatCannotBeWrittenRaiseFileErrorAndLoseNothing) {
  std::filesystem::create_directory(PathOf("folder"));
  { std::ofstream(PathOf("locked.wav")) << "old"; }
  const std::wstring locked = std::filesystem::path(PathOf("locked.wav")).wstring();
  ASSERT_TRUE(SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  // Wine keeps the attribute as Unix mode bits, which root may ignore: then there is no
  // read-only file to test with.
  const HANDLE probe = CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  const bool lockable = probe == INVALID_HANDLE_VALUE;
  if (!lockable)
    CloseHandle(probe);
  { std::ofstream(PathOf("busy.wav")) << "old"; }
  // Another program holding the file open without sharing it.
  const HANDLE busy = CreateFileW(std::filesystem::path(PathOf("busy.wav")).c_str(), GENERIC_READ,
                                  0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE);
  struct Case {
    std::string name;
    DWORD error;
  };
  std::vector<Case> cases = {
      {"", ERROR_PATH_NOT_FOUND},
      {PathOf("missing/a.wav"), ERROR_PATH_NOT_FOUND},
      {PathOf("folder"), ERROR_ACCESS_DENIED},
      {PathOf("busy.wav"), ERROR_SHARING_VIOLATION},
  };
  if (lockable)
    cases.push_back({PathOf("locked.wav"), ERROR_ACCESS_DENIED});

  RecordTwoBuffers();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      recorder_->Save(c.name, true);
      ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
      EXPECT_EQ(error.WhatFailed(), FileError::Cause::kCreate);
      EXPECT_EQ(error.SystemError(), static_cast<int>(c.error));
      EXPECT_EQ(error.FileName(), c.name);
      EXPECT_FALSE(error.Reason().empty());
    }
    EXPECT_EQ(recorder_->Recording().SampleCount(), 2048u);
    EXPECT_EQ(recorder_->Engine().BlockCount(), 2u);
  }
  CloseHandle(busy);
  SetFileAttributesW(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (lockable) {
    EXPECT_TRUE(Contents(PathOf("locked.wav")) == "old");
  }
  EXPECT_TRUE(Contents(PathOf("busy.wav")) == "old");
  // Nothing was lost: a good name, here a Chinese one, still gets the whole recording.
  const std::string chinese = PathOf("") + "录音.wav";  // UTF-8, as the program keeps texts
  ASSERT_TRUE(recorder_->Save(chinese, true));
  const std::u8string wide(chinese.begin(), chinese.end());
  EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(wide)), 44u + 8192u);
}

}  // namespace
}  // namespace sonavel::testing
