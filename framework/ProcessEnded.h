#pragma once

namespace sonavel {

// Thrown by a back-end's Desktop::EndProcess when it cannot end the process for real (tests).
// Framework::RunProgram catches it and answers its code.
struct ProcessEnded {
  int exitCode = 0;
};

}  // namespace sonavel
