#include <gtest/gtest.h>

#include "app/ControlIds.h"
#include "app/ProgramEntry.h"
#include "app/ProgramTexts.h"
#include "framework/Framework.h"
#include "framework/PropertyIndex.h"
#include "framework/Services.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/SimulatedWaveInput.h"
#include "recorder/WaveRecorder.h"

namespace sonavel {
namespace {

using headless::HeadlessDesktop;

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() { UseWaveInput(waveInput_); }
  void Load() {
    framework_ = std::make_unique<Framework>(desktop_, SonavelProgram());
    framework_->Start();
    framework_->LoadStartWindow(ids::kMainWindow);
  }
  WindowHandle Handle(std::string_view text) const { return desktop_.FindByText(text); }
  void Focus(std::string_view text) { desktop_.MoveFocus(Handle(text)); }

  headless::SimulatedWaveInput waveInput_;
  HeadlessDesktop desktop_;
  std::unique_ptr<Framework> framework_;
};

TEST_F(MainWindowTest, WindowIsCentredWith250By190OuterSize) {
  struct Case {
    Size screen;
    std::int32_t left, top;
  };
  const Case cases[] = {{{1024, 768}, 387, 289},
                        {{1920, 1080}, 835, 445},
                        {{1365, 767}, 557, 288},
                        {{200, 100}, -25, -45}};  // truncated toward zero
  for (const Case& c : cases) {
    HeadlessDesktop desktop;
    desktop.SetScreenSize(c.screen);
    Framework framework(desktop, SonavelProgram());
    framework.Start();
    framework.LoadStartWindow(ids::kMainWindow);
    const headless::Node& window = *desktop.Find(desktop.TopLevel());
    EXPECT_EQ(window.rect, (Rect{c.left, c.top, 250, 190})) << c.screen.width;
    EXPECT_EQ(window.text, "Sonavel 1.0");
    EXPECT_TRUE(window.frame.systemMenu && window.frame.minimizeBox && window.frame.maximizeBox);
    EXPECT_EQ(desktop.SetOuterRectCalls(), 0);
  }
}

TEST_F(MainWindowTest, OuterSizeIsEnforcedOnceWhenTheSystemGaveAnother) {
  desktop_.SetCreationSize({262, 215});
  Load();
  EXPECT_EQ(desktop_.SetOuterRectCalls(), 1);
  EXPECT_EQ(desktop_.Find(desktop_.TopLevel())->rect, (Rect{387, 289, 250, 190}));
}

TEST_F(MainWindowTest, ControlsStandWhereTheDescriptionPutsThem) {
  Load();
  struct Expected {
    const char* text;
    ControlKind kind;
    Rect rect;
  };
  const Expected controls[] = {
      {"录音文件保存位置：", ControlKind::kLabel, {30, 5, 100, 15}},
      {"保存位置(&O)", ControlKind::kButton, {162, 5, 80, 20}},
      {"请您选择保存位置", ControlKind::kLabel, {5, 30, 245, 15}},
      {"录音(&R)", ControlKind::kButton, {20, 55, 60, 25}},
      {"停止(&S)", ControlKind::kButton, {85, 55, 60, 25}},
      {"关于(&A)", ControlKind::kButton, {150, 55, 60, 25}},
      {"帮助(&H)", ControlKind::kButton, {50, 95, 60, 25}},
      {"退出(&Q)", ControlKind::kButton, {115, 95, 60, 25}},
      {"录音状态：", ControlKind::kLabel, {50, 140, 60, 15}},
      {"未录音", ControlKind::kLabel, {120, 140, 80, 15}},
  };
  for (const Expected& control : controls) {
    const headless::Node* node = desktop_.Find(Handle(control.text));
    ASSERT_NE(node, nullptr) << control.text;
    EXPECT_EQ(node->kind, control.kind) << control.text;
    EXPECT_EQ(node->rect, control.rect) << control.text;
    EXPECT_TRUE(node->shown && node->enabled) << control.text;
    EXPECT_EQ(node->tabStop, control.kind == ControlKind::kButton) << control.text;
  }
  // The edit box and the recorder's window exist but stay hidden.
  int hidden = 0;
  for (WindowHandle handle : desktop_.Find(desktop_.TopLevel())->stacking) {
    if (!desktop_.Find(handle)->shown)
      ++hidden;
  }
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(desktop_.FocusedText(), "保存位置(&O)");
}

TEST_F(MainWindowTest, TabWrapsAroundTheSixButtonsBothWays) {
  Load();
  const std::vector<std::string> order = {"保存位置(&O)", "录音(&R)", "停止(&S)",
                                          "关于(&A)",     "帮助(&H)", "退出(&Q)"};
  for (std::size_t i = 1; i <= order.size(); ++i) {
    desktop_.PressKey({vk::kTab});
    EXPECT_EQ(desktop_.FocusedText(), order[i % order.size()]);
  }
  desktop_.PressKey({vk::kTab, false, false, true});
  EXPECT_EQ(desktop_.FocusedText(), order.back());
}

TEST_F(MainWindowTest, AccessKeyClicksItsButtonAndTheFocusStays) {
  Load();
  Focus("停止(&S)");
  desktop_.PressAlt('A');
  ASSERT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_EQ(desktop_.Boxes()[0].title, "关于");
  EXPECT_EQ(desktop_.Boxes()[0].text, texts::kAbout);
  EXPECT_EQ(desktop_.Boxes()[0].flags, 0x2040u);
  EXPECT_EQ(desktop_.FocusedText(), "停止(&S)");
}

TEST_F(MainWindowTest, AccessKeysIgnoreShiftAndCtrl) {
  Load();
  desktop_.PressKey({'A', true, false, true});
  desktop_.PressKey({'A', true, true, false});
  EXPECT_TRUE(desktop_.Boxes().empty());
}

TEST_F(MainWindowTest, EnterEscF1AndArrowsDoNothing) {
  Load();
  Focus("关于(&A)");
  for (std::uint32_t key :
       {vk::kReturn, vk::kEscape, vk::kF1, vk::kLeft, vk::kUp, vk::kRight, vk::kDown}) {
    desktop_.PressKey({key});
  }
  EXPECT_TRUE(desktop_.Boxes().empty());
  EXPECT_EQ(desktop_.FocusedText(), "关于(&A)");
  EXPECT_NE(desktop_.TopLevel(), 0u);
}

TEST_F(MainWindowTest, SpaceClicksTheFocusedButton) {
  Load();
  Focus("帮助(&H)");
  desktop_.PressKey({vk::kSpace});
  ASSERT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_EQ(desktop_.Boxes()[0].title, "帮助");
  EXPECT_EQ(desktop_.Boxes()[0].text,
            "Sonavel使用说明：打开后找到保存位置(O) 按下按钮 Alt+o空格，在浏览对话框中找到你所需的"
            "位置、输入文件名、找到保存按下按钮空格。后边的部用说了。开发信息：软件制作者：Sonavel "
            "开发组；编译语言：C++；发布时间:2014年11月18号；网址：无");
}

TEST_F(MainWindowTest, PathLabelHoldingAnAccessKeyTakesItAndMovesTheFocus) {
  Load();
  for (const char* path : {"/tmp/&Old.wav", "/tmp/&old.wav"}) {
    WriteProperty(ids::kMainWindow, ids::kPathLabel, property::kText, -1, path, 0);
    Focus("帮助(&H)");
    desktop_.PressAlt('O');
    EXPECT_EQ(desktop_.FocusedText(), "保存位置(&O)") << path;
    EXPECT_TRUE(desktop_.Dialogs().empty()) << path;
  }
  // Buttons listed before the label keep their keys.
  desktop_.PressAlt('A');
  EXPECT_EQ(desktop_.Boxes().size(), 1u);
}

TEST_F(MainWindowTest, KeysWhileABoxIsOpenDoNothingToTheWindow) {
  Load();
  desktop_.whileModal = [this] {
    desktop_.PressAlt('H');
    desktop_.PressKey({vk::kTab});
    desktop_.RequestClose(desktop_.TopLevel());
  };
  desktop_.PressAlt('A');
  EXPECT_EQ(desktop_.Boxes().size(), 1u);
  EXPECT_EQ(desktop_.FocusedText(), "保存位置(&O)");
  EXPECT_NE(desktop_.TopLevel(), 0u);
}

// The whole program on the headless desktop, recording from a simulated device.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() { UseWaveInput(waveInput_); }
  headless::SimulatedWaveInput waveInput_;
};

TEST_F(ProgramTest, QuitButtonEndsTheProgramWithCodeZero) {
  HeadlessDesktop desktop;
  desktop.ScriptIdle([&] {
    desktop.PressAlt('Q');
    // Destroyed only when the loop handles the deferred message, not inside the click.
    EXPECT_NE(desktop.TopLevel(), 0u);
  });
  EXPECT_EQ(Framework::RunProgram(desktop, SonavelProgram(), &ProgramEntry), 0);
  EXPECT_EQ(desktop.TopLevel(), 0u);
  EXPECT_TRUE(desktop.Boxes().empty());
}

TEST_F(ProgramTest, ClosingThroughTheSystemEndsWithCodeZero) {
  HeadlessDesktop desktop;
  desktop.ScriptIdle([&] { desktop.RequestClose(desktop.TopLevel()); });
  EXPECT_EQ(Framework::RunProgram(desktop, SonavelProgram(), &ProgramEntry), 0);
}

}  // namespace
}  // namespace sonavel
