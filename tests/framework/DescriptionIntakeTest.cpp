#include <gtest/gtest.h>

#include <functional>

#include "framework/ErrorReport.h"
#include "framework/FatalMessages.h"
#include "framework/Services.h"
#include "tests/framework/TestProgram.h"

namespace sonavel::testing {
namespace {

constexpr std::array kOffsetOutOfRange = {EventBinding{button_event::kClick, 99}};
constexpr std::array kUnknownProperty = {TypeSetting{property::kDefaultExtension, ".x"}};
constexpr std::array kTextAsNumber = {TypeSetting{property::kText, 7}};
constexpr std::array kUnknownContent = {ControlId{0x16000099}};

struct BadDescription {
  const char* name;
  std::function<void(TestProgram&)> spoil;
};

class DescriptionIntakeTest : public ::testing::TestWithParam<BadDescription> {};

TEST_P(DescriptionIntakeTest, UnreadableDescriptionsEndTheProgramWithoutShutdown) {
  TestProgram program;
  GetParam().spoil(program);
  headless::HeadlessDesktop desktop;

  EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), &TestEntry), -1);
  ASSERT_EQ(desktop.Boxes().size(), 1u);
  EXPECT_EQ(desktop.Boxes()[0].text, "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n");
  EXPECT_EQ(desktop.Boxes()[0].title, "错误");
  EXPECT_EQ(desktop.TopLevel(), 0u);
  EXPECT_EQ(TheJournal().shutdowns, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescriptionIntakeTest,
    ::testing::Values(
        BadDescription{"WindowNotFirst", [](TestProgram& p) { std::swap(p.units[0], p.units[1]); }},
        BadDescription{"UnknownCoreType", [](TestProgram& p) { p.units[1].type = 0x00010099; }},
        BadDescription{"LibraryNotInProgram", [](TestProgram& p) { p.units[1].type = 0x00030001; }},
        BadDescription{"HandlerOffsetOutsideTable",
                       [](TestProgram& p) { p.units[2].events = kOffsetOutOfRange; }},
        BadDescription{"DuplicateUnitId", [](TestProgram& p) { p.units[2].unitId = kLabel; }},
        BadDescription{"ControlWithWindowId",
                       [](TestProgram& p) { p.units[1].unitId = 0x06000001; }},
        BadDescription{"SettingTheTypeLacks",
                       [](TestProgram& p) { p.units[1].settings = kUnknownProperty; }},
        BadDescription{"TextSettingGivenAsNumber",
                       [](TestProgram& p) { p.units[1].settings = kTextAsNumber; }},
        BadDescription{"NegativeWidth", [](TestProgram& p) { p.units[1].rect.width = -1; }},
        BadDescription{"UnknownContainer",
                       [](TestProgram& p) { p.units[1].container = 0x16000099; }},
        BadDescription{"UnknownContent",
                       [](TestProgram& p) { p.units[1].contents = kUnknownContent; }},
        BadDescription{"CoreLibraryMissing", [](TestProgram& p) { p.libraries.clear(); }},
        BadDescription{"ConstantTextWithZeroByte",
                       [](TestProgram& p) { p.constantTexts.emplace_back("a\0b", 3); }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(StartWindowTest, UnknownWindowIdAndFailedCreationAreFatal) {
  for (bool failCreation : {false, true}) {
    TestProgram program;
    headless::HeadlessDesktop desktop;
    if (failCreation)
      desktop.FailNextTopLevel();
    auto entry = failCreation ? &TestEntry : +[] {
      StartFramework();
      LoadStartWindow(0x52000099);
      return 0;
    };
    EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), entry), -1);
    ASSERT_EQ(desktop.Boxes().size(), 1u);
    EXPECT_EQ(desktop.Boxes()[0].text, BuildErrorReportText(fatal_message::kStartWindowFailed, 0));
    EXPECT_EQ(TheJournal().shutdowns, 0);
  }
}

}  // namespace
}  // namespace sonavel::testing
