#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/FileError.h"

// The box the framework shows when an event handler ends with an error it raised: a file that
// could not be written, or memory that ran out. The handler ends there and the program goes on.
namespace sonavel::handler_error {

constexpr std::string_view kTitle = "错误";
// Stop icon, one OK button, task-modal.
constexpr std::uint32_t kFlags = 0x10 | 0x2000;
constexpr std::string_view kOutOfMemory = "内存不足，这项操作没有完成。";

// Names the file and what failed, with the reason and the system's error number.
std::string FileErrorText(const FileError& error);

}  // namespace sonavel::handler_error
