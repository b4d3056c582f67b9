#pragma once

// The support libraries of this program, by their place in the program description, and the
// numbers of the multimedia library's commands.
namespace sonavel {

namespace library_index {
constexpr int kCore = 0;
constexpr int kMultimedia = 1;
}  // namespace library_index

namespace multimedia_command {
constexpr int kSetFormat = 0;
constexpr int kStart = 1;
constexpr int kStop = 2;
constexpr int kSave = 3;
}  // namespace multimedia_command

}  // namespace sonavel
