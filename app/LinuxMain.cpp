// The Linux program: the portable core on the Qt desktop, recording through ALSA.
#include "app/ProgramEntry.h"
#include "framework/Framework.h"
#include "platform/alsa/AlsaWaveInput.h"
#include "platform/qt/QtDesktop.h"
#include "recorder/WaveRecorder.h"

int main(int argc, char** argv) {
  // Declared first: it outlives the recorders, which the framework destroys with their window.
  sonavel::alsa::AlsaWaveInput waveInput;
  sonavel::UseWaveInput(waveInput);
  sonavel::qt::QtDesktop desktop(argc, argv);
  return sonavel::Framework::RunProgram(desktop, sonavel::SonavelProgram(), &sonavel::ProgramEntry);
}
