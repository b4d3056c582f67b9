#include "app/ProgramEntry.h"

#include <array>
#include <cfenv>

#include "app/ClickHandlers.h"
#include "app/ControlIds.h"
#include "app/MainWindowDescription.h"
#include "app/ProgramTexts.h"
#include "framework/CoreLibrary.h"
#include "framework/Services.h"
#include "recorder/MultimediaLibrary.h"

namespace sonavel {

void InitGlobals() {}

void ShutdownRoutine() {}

int ProgramEntry() {
  StartFramework();
  // Back to the power-on floating-point state: exceptions masked, round to nearest.
  std::fesetenv(FE_DFL_ENV);
  InitGlobals();
  SetShutdownRoutine(&ShutdownRoutine);
  LoadStartWindow(ids::kMainWindow);
  RunMessageLoop();
  return 0;
}

const ProgramDescription& SonavelProgram() {
  // The handler table's order is the one the description's offsets count in.
  static constexpr std::array<EventHandler, 6> kHandlers = {&OnSaveLocationClick, &OnRecordClick,
                                                            &OnStopClick,         &OnAboutClick,
                                                            &OnHelpClick,         &OnQuitClick};
  static const std::array<const WindowDescription, 1> kWindows = {MainWindowDescription()};
  static const std::array<SupportLibrary* const, 2> kLibraries = {&TheCoreLibrary(),
                                                                  &TheMultimediaLibrary()};
  static const ProgramDescription kProgram{kWindows, kHandlers, texts::All(), kLibraries};
  return kProgram;
}

}  // namespace sonavel
