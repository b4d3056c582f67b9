#pragma once

// Numbers of the program's resources, shared by the resource script and the program: a macro,
// because the resource compiler reads only the preprocessor's language.
#define SONAVEL_ICON_RESOURCE 1
