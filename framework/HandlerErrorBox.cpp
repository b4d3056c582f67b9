#include "framework/HandlerErrorBox.h"

namespace sonavel::handler_error {

std::string FileErrorText(const FileError& error) {
  std::string text;
  switch (error.WhatFailed()) {
    case FileError::Cause::kCreate:
      text = "无法创建文件";
      break;
    case FileError::Cause::kWrite:
      text = "无法写完文件";
      break;
    case FileError::Cause::kClose:
      text = "无法关闭文件";
      break;
  }
  // With no name at all that is the whole story: the system's reason would only confuse.
  if (error.FileName().empty())
    return text + "：没有指定文件名。";
  text += "“" + error.FileName() + "”。";
  if (error.WhatFailed() != FileError::Cause::kCreate)
    text += "文件可能不完整。";
  if (!error.Reason().empty())
    text += "\n原因：" + error.Reason();
  if (error.SystemError() != 0)
    text += "（系统错误 " + std::to_string(error.SystemError()) + "）";
  return text;
}

}  // namespace sonavel::handler_error
