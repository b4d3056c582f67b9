#pragma once

#include "framework/ProgramDescription.h"

namespace sonavel {

// The program's entry, called by the framework's start hook on the UI thread.
int ProgramEntry();
// The program's global variables are set up here; it has none.
void InitGlobals();
// Registered with the framework and called once by the orderly exit; it has nothing to do.
void ShutdownRoutine();

// What the program hands to the framework: its windows, handlers, texts and libraries.
const ProgramDescription& SonavelProgram();

}  // namespace sonavel
