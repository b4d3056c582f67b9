#include "framework/ErrorReport.h"

#include "framework/FatalMessages.h"

namespace sonavel {

std::string BuildErrorReportText(std::string_view message, std::int32_t code) {
  std::string text = "运行时出错!\r\n\r\n";
  if (code != 0) {
    text += "错误代码：";
    text += std::to_string(code);
    text += "\r\n\r\n";
  }
  if (!message.empty()) {
    text += "错误信息：";
    text += message;
    text += "\r\n";
  }
  return text;
}

std::string AllocationFailureMessage(std::int64_t bytes) {
  std::string text(fatal_message::kAllocationFailed);
  text.replace(text.find("%d"), 2, std::to_string(bytes));
  return text;
}

}  // namespace sonavel
