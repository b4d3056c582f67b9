// The Linux program: the portable core on the Qt desktop.
#include "app/ProgramEntry.h"
#include "framework/Framework.h"
#include "platform/qt/QtDesktop.h"

int main(int argc, char** argv) {
  sonavel::qt::QtDesktop desktop(argc, argv);
  return sonavel::Framework::RunProgram(desktop, sonavel::SonavelProgram(), &sonavel::ProgramEntry);
}
