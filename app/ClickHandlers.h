#pragma once

// The click handlers of the main window's six buttons. None of them looks at a command's result.
namespace sonavel {

void OnSaveLocationClick();
void OnRecordClick();
void OnStopClick();
void OnAboutClick();
void OnHelpClick();
void OnQuitClick();

}  // namespace sonavel
