#pragma once

#include <QKeyEvent>

#include "framework/KeyPress.h"

namespace sonavel::qt {

// The framework's key for a Qt key press; virtualKey is 0 for keys the framework has no use for.
KeyPress ToKeyPress(const QKeyEvent& event);

}  // namespace sonavel::qt
