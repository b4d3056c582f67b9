#include <gtest/gtest.h>

#include "framework/ErrorReport.h"

namespace sonavel {
namespace {

TEST(ErrorReportTest, BoxTextShowsCodeAndMessageOnlyWhenPresent) {
  EXPECT_EQ(BuildErrorReportText("载入启动窗口失败", 0),
            "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n");
  EXPECT_EQ(BuildErrorReportText("坏了", 42),
            "运行时出错!\r\n\r\n错误代码：42\r\n\r\n错误信息：坏了\r\n");
  EXPECT_EQ(BuildErrorReportText("", -7), "运行时出错!\r\n\r\n错误代码：-7\r\n\r\n");
  EXPECT_EQ(BuildErrorReportText("", 0), "运行时出错!\r\n\r\n");
}

TEST(ErrorReportTest, AllocationMessageNamesTheByteCount) {
  EXPECT_EQ(AllocationFailureMessage(4096), "分配 4096 字节内存失败!");
  EXPECT_EQ(AllocationFailureMessage(-1), "分配 -1 字节内存失败!");
}

}  // namespace
}  // namespace sonavel
