#pragma once

#include <array>
#include <string>
#include <vector>

#include "framework/CoreLibrary.h"
#include "framework/Framework.h"
#include "framework/PropertyIndex.h"
#include "platform/headless/HeadlessDesktop.h"

namespace sonavel::testing {

// A small program for framework tests: one window (id kWindow) with two buttons, a label whose
// caption tests can change, a hidden edit box and a common dialog. Handlers record what ran.
constexpr ControlId kWindow = 0x52000001;
constexpr ControlId kSelf = 0x06000000;
constexpr ControlId kLabel = 0x16000001;
constexpr ControlId kFirstButton = 0x16000002;
constexpr ControlId kSecondButton = 0x16000003;
constexpr ControlId kEdit = 0x16000004;
constexpr ControlId kDialog = 0x16000005;

struct Journal {
  std::vector<std::string> events;
  int shutdowns = 0;
  // What the window's created event does, besides being noted.
  void (*onCreated)() = nullptr;
  void (*onFirstClick)() = nullptr;
};
Journal& TheJournal();

// The units in listing order: label, second button, first button, edit box, dialog.
std::vector<UnitDescription> TestUnits();
// The description with the handler table and the core library; tests may alter `units`.
struct TestProgram {
  std::vector<UnitDescription> units = TestUnits();
  std::vector<WindowDescription> windows;
  std::vector<SupportLibrary*> libraries{&TheCoreLibrary()};
  std::vector<EventHandler> handlers;
  std::vector<std::string_view> constantTexts{"文字"};
  ProgramDescription description;

  TestProgram();
  const ProgramDescription& Build();
};

// The entry a program runs: start, register the counting shutdown routine, load, loop.
int TestEntry();

}  // namespace sonavel::testing
