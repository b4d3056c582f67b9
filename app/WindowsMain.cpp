// The Windows program: the portable core on the Win32 desktop, recording through winmm.
#include "app/ProgramEntry.h"
#include "app/windows/Resources.h"
#include "framework/Framework.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/WinMmWaveInput.h"
#include "recorder/WaveRecorder.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Declared first: it outlives the recorders, which the framework destroys with their window.
  sonavel::win32::WinMmWaveInput waveInput;
  sonavel::UseWaveInput(waveInput);
  sonavel::win32::Win32Desktop desktop(SONAVEL_ICON_RESOURCE);
  return sonavel::Framework::RunProgram(desktop, sonavel::SonavelProgram(), &sonavel::ProgramEntry);
}
