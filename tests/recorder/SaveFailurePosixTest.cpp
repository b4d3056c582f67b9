// Saving where POSIX systems refuse: each failure is a FileError naming the file, with errno.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "framework/FileError.h"
#include "tests/recorder/RecorderFixture.h"

namespace sonavel::testing {
namespace {

// Makes a file that nobody may write, not even root: read-only mode bits and, for root, the
// immutable flag. Answers false where the file system cannot do that.
bool MakeUnwritable(const std::string& path) {
  if (::chmod(path.c_str(), 0444) != 0)
    return false;
  if (::geteuid() != 0)
    return true;
  const int descriptor = ::open(path.c_str(), O_RDONLY);
  int flags = 0;
  const bool made = descriptor >= 0 && ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0 &&
                    (flags |= FS_IMMUTABLE_FL, ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags) == 0);
  if (descriptor >= 0)
    ::close(descriptor);
  return made;
}

void MakeWritable(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY);
  int flags = 0;
  if (descriptor >= 0 && ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0) {
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(descriptor, FS_IOC_SETFLAGS, &flags);
  }
  if (descriptor >= 0)
    ::close(descriptor);
  ::chmod(path.c_str(), 0644);
}

using SaveFailureTest = RecorderTest;

TEST_F(SaveFailureTest, FilesThatCannotBeWrittenRaiseFileErrorAndLoseNothing) {
  std::filesystem::create_directory(PathOf("folder"));
  { std::ofstream(PathOf("locked.wav")) << "old"; }
  const bool lockable = MakeUnwritable(PathOf("locked.wav"));
  struct Case {
    std::string name;
    FileError::Cause cause;
    int error;
  };
  std::vector<Case> cases = {
      {"", FileError::Cause::kCreate, ENOENT},
      {PathOf("missing/a.wav"), FileError::Cause::kCreate, ENOENT},
      {PathOf("folder"), FileError::Cause::kCreate, EISDIR},
      {"/dev/full", FileError::Cause::kWrite, ENOSPC},
  };
  if (lockable)
    cases.push_back(
        {PathOf("locked.wav"), FileError::Cause::kCreate, ::geteuid() == 0 ? EPERM : EACCES});

  RecordTwoBuffers();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      recorder_->Save(c.name, true);
      ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
      EXPECT_EQ(error.WhatFailed(), c.cause);
      EXPECT_EQ(error.SystemError(), c.error);
      EXPECT_EQ(error.FileName(), c.name);
    }
    EXPECT_FALSE(device_.IsOpen());
    EXPECT_EQ(recorder_->Recording().SampleCount(), 2048u);
    EXPECT_EQ(recorder_->Engine().BlockCount(), 2u);
  }
  EXPECT_FALSE(std::filesystem::exists(PathOf("missing")));
  if (lockable) {
    EXPECT_EQ(Contents(PathOf("locked.wav")), "old");
    MakeWritable(PathOf("locked.wav"));
  }
  // Nothing was lost: a good name still gets the whole recording.
  ASSERT_TRUE(recorder_->Save(PathOf("good.wav"), true));
  EXPECT_EQ(Contents(PathOf("good.wav")).size(), 44u + 8192u);
}

}  // namespace
}  // namespace sonavel::testing
