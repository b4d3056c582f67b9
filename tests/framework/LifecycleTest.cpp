#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "framework/ErrorReport.h"
#include "framework/ProcessEnded.h"
#include "framework/Services.h"
#include "platform/headless/ScriptedMemory.h"
#include "tests/framework/TestProgram.h"

namespace sonavel::testing {
namespace {

using headless::HeadlessDesktop;

void DestroyTestWindow(bool atOnce) {
  const std::array arguments = {ArgumentTriple::Object(kWindow, kSelf, type_code::kWindow),
                                atOnce ? ArgumentTriple::Logical(true) : ArgumentTriple::Omitted()};
  CallCoreCommand(core_command::kDestroy, 2, arguments.data());
}

TEST(StartupTest, ProgramFolderBecomesTheCurrentDirectory) {
  struct Case {
    const char* path;
    char separator;
    std::vector<std::string> expected;
  };
  const Case cases[] = {{"/opt/sonavel/bin/sonavel", '/', {"/opt/sonavel/bin"}},
                        {"C:\\Programs\\Sonavel\\sonavel.exe", '\\', {"C:\\Programs\\Sonavel"}},
                        {"/sonavel", '/', {"/"}},
                        {"sonavel", '/', {}}};
  for (const Case& c : cases) {
    TestProgram program;
    HeadlessDesktop desktop;
    desktop.SetProgramPath(c.path, c.separator);
    Framework framework(desktop, program.Build());
    framework.Start();
    EXPECT_EQ(desktop.CurrentDirectories(), c.expected) << c.path;
  }
}

class RecordingLibrary final : public SupportLibrary {
 public:
  explicit RecordingLibrary(std::vector<std::string>& log, std::string name)
      : log_(log), name_(std::move(name)) {}
  int Notify(int code, ServiceEntry entry) override {
    log_.push_back(name_ + (code == library_notice::kFrameworkStarted ? " started" : " ending") +
                   (entry != nullptr ? " with entry" : ""));
    return 0;
  }
  std::span<const CommandSpec> Commands() const override { return {}; }
  CreationRoutine ComponentTypeEntry(std::uint16_t, int) const override { return nullptr; }
  bool HasVisibleForm(std::uint16_t) const override { return false; }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

TEST(StartupTest, LibrariesAreToldInOrderAtStartAndAtExit) {
  std::vector<std::string> log;
  RecordingLibrary second(log, "second");
  RecordingLibrary third(log, "third");
  TestProgram program;
  program.libraries = {&TheCoreLibrary(), &second, &third};
  HeadlessDesktop desktop;
  desktop.ScriptIdle([&] { desktop.RequestClose(desktop.TopLevel()); });

  EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), &TestEntry), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"second started with entry", "third started with entry",
                                           "second ending", "third ending"}));
}

TEST(LoopTest, ReturnsAtOnceWhenNoWindowIsAlive) {
  TestProgram program;
  HeadlessDesktop desktop;
  // The headless loop throws when it would wait with nothing scripted, so reaching the end
  // proves the loop was never entered.
  const int code = Framework::RunProgram(
      desktop, program.Build(), +[] {
        StartFramework();
        SetShutdownRoutine([] { ++TheJournal().shutdowns; });
        RunMessageLoop();
        return 0;
      });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(TheJournal().shutdowns, 1);
}

struct ClosePath {
  const char* name;
  void (*close)(HeadlessDesktop&);
};

class ClosePathTest : public ::testing::TestWithParam<ClosePath> {};

TEST_P(ClosePathTest, EndsWithCodeZeroAndOneShutdown) {
  TestProgram program;
  HeadlessDesktop desktop;
  desktop.ScriptIdle([&] { GetParam().close(desktop); });

  EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), &TestEntry), 0);
  EXPECT_EQ(TheJournal().shutdowns, 1);
  EXPECT_EQ(std::count(TheJournal().events.begin(), TheJournal().events.end(), "destroyed"), 1);
  EXPECT_EQ(desktop.TopLevel(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ClosePathTest,
    ::testing::Values(ClosePath{"SystemClose",
                                [](HeadlessDesktop& d) { d.RequestClose(d.TopLevel()); }},
                      ClosePath{"DeferredDestroyFromClick",
                                [](HeadlessDesktop& d) {
                                  TheJournal().onFirstClick = [] { DestroyTestWindow(false); };
                                  d.PressAlt('F');
                                }},
                      ClosePath{"DestroyAtOnceFromSpace",
                                [](HeadlessDesktop& d) {
                                  TheJournal().onFirstClick = [] { DestroyTestWindow(true); };
                                  d.PressKey({vk::kSpace});
                                }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DestroyTest, DeferredDestroyWaitsUntilTheHandlerHasReturned) {
  TestProgram program;
  HeadlessDesktop desktop;
  Framework framework(desktop, program.Build());
  framework.Start();
  framework.LoadStartWindow(kWindow);
  TheJournal().onFirstClick = [] {
    DestroyTestWindow(false);
    // Still alive inside the handler: its properties can be read.
    FreeMemory(ReadProperty(kWindow, kLabel, property::kText, -1).AsText());
    TheJournal().events.emplace_back("handler returned");
  };
  desktop.PressAlt('F');
  EXPECT_NE(desktop.TopLevel(), 0u);
  ASSERT_EQ(desktop.Posted().size(), 1u);
  EXPECT_EQ(desktop.Posted()[0].message, 0x8065u);

  desktop.Pump();
  EXPECT_EQ(desktop.TopLevel(), 0u);
  EXPECT_EQ(TheJournal().events.back(), "destroyed");
  EXPECT_EQ(TheJournal().events[TheJournal().events.size() - 2], "handler returned");
}

TEST(DestroyTest, DeferredMessageDoesNothingOnceTheWindowIsGone) {
  TestProgram program;
  HeadlessDesktop desktop;
  Framework framework(desktop, program.Build());
  framework.Start();
  framework.LoadStartWindow(kWindow);
  TheJournal().onFirstClick = [] {
    DestroyTestWindow(false);
    DestroyTestWindow(true);
  };
  desktop.PressAlt('F');
  desktop.Pump();
  EXPECT_EQ(std::count(TheJournal().events.begin(), TheJournal().events.end(), "destroyed"), 1);
}

TEST(FatalTest, AllocationFailureShowsTheByteCountAndSkipsShutdown) {
  TestProgram program;
  HeadlessDesktop desktop;
  headless::ScriptedMemory memory;
  memory.FailFrom(12);
  desktop.ScriptIdle([] { FreeMemory(AllocateMemory(12)); });

  EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), &TestEntry, memory), -1);
  ASSERT_EQ(desktop.Boxes().size(), 1u);
  EXPECT_EQ(desktop.Boxes()[0].text, BuildErrorReportText("分配 12 字节内存失败!", 0));
  EXPECT_EQ(desktop.Boxes()[0].flags, 0x10u);
  EXPECT_EQ(TheJournal().shutdowns, 0);
  EXPECT_EQ(memory.Outstanding(), 0);
}

TEST(FatalTest, UnknownUnitIsFatal) {
  TestProgram program;
  HeadlessDesktop desktop;
  desktop.ScriptIdle([] { ReadProperty(kWindow, 0x16000099, property::kText, -1); });
  EXPECT_EQ(Framework::RunProgram(desktop, program.Build(), &TestEntry), -1);
  ASSERT_EQ(desktop.Boxes().size(), 1u);
  EXPECT_EQ(desktop.Boxes()[0].text, BuildErrorReportText("指定窗口或窗口组件不存在或尚未载入", 0));
}

}  // namespace
}  // namespace sonavel::testing
