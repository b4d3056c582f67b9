#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonavel {

namespace error_box {
constexpr std::string_view kTitle = "错误";
constexpr std::uint32_t kFlags = 0x10;  // error icon, one OK button
}  // namespace error_box

// The text of the fatal error box: a fixed first line, then the error code when it is not 0,
// then the message when it is not empty.
std::string BuildErrorReportText(std::string_view message, std::int32_t code);

// The allocation failure message with the byte count filled in.
std::string AllocationFailureMessage(std::int64_t bytes);

}  // namespace sonavel
