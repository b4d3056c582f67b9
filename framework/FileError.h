#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace sonavel {

// Raised by the file object when a file cannot be created, written in full or closed. It
// travels to the dispatch of the click that asked for the file, which shows it to the user.
class FileError : public std::runtime_error {
 public:
  enum class Cause { kCreate, kWrite, kClose };

  // systemError is the system's error number, 0 when there is none (a write that stored fewer
  // bytes than asked); reason says in the user's words what the number means.
  FileError(Cause cause, int systemError, std::string fileName, std::string reason)
      : std::runtime_error(Describe(cause, systemError, fileName)),
        cause_(cause),
        systemError_(systemError),
        fileName_(std::move(fileName)),
        reason_(std::move(reason)) {}

  Cause WhatFailed() const { return cause_; }
  int SystemError() const { return systemError_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& Reason() const { return reason_; }

 private:
  static std::string Describe(Cause cause, int systemError, const std::string& fileName) {
    const char* verb = cause == Cause::kCreate  ? "create"
                       : cause == Cause::kWrite ? "write"
                                                : "close";
    return std::string("cannot ") + verb + " file \"" + fileName + "\" (system error " +
           std::to_string(systemError) + ")";
  }

  Cause cause_;
  int systemError_;
  std::string fileName_;
  std::string reason_;
};

}  // namespace sonavel
