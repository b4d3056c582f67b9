#include <gtest/gtest.h>

#include "app/TextRoutines.h"
#include "framework/CoreLibrary.h"
#include "framework/Framework.h"
#include "framework/ProcessEnded.h"
#include "framework/Services.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/ScriptedMemory.h"

namespace sonavel {
namespace {

class TextRoutinesTest : public ::testing::Test {
 protected:
  headless::HeadlessDesktop desktop_;
  headless::ScriptedMemory memory_;
  std::array<SupportLibrary* const, 1> libraries_{&TheCoreLibrary()};
  ProgramDescription program_{{}, {}, {}, libraries_};
  Framework framework_{desktop_, program_, memory_};
};

TEST_F(TextRoutinesTest, LengthCountsBytesAndNullIsZero) {
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength(""), 0u);
  EXPECT_EQ(TextLength("位置为："), 12u);
}

TEST_F(TextRoutinesTest, JoinConcatenatesAndTreatsNullAsEmpty) {
  char* joined = JoinTexts({"位置为：", nullptr, "/tmp/a.MP3", "的录音文件已保存"});
  EXPECT_STREQ(joined, "位置为：/tmp/a.MP3的录音文件已保存");
  FreeMemory(joined);
  char* empty = JoinTexts({nullptr});
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  FreeMemory(empty);
  EXPECT_EQ(memory_.Outstanding(), 0);
}

TEST_F(TextRoutinesTest, FailedJoinIsFatal) {
  memory_.FailFrom(1);
  EXPECT_THROW(JoinTexts({"abc"}), ProcessEnded);
  ASSERT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_NE(desktop_.Boxes()[0].text.find("分配 4 字节内存失败!"), std::string::npos);
}

}  // namespace
}  // namespace sonavel
