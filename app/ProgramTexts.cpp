#include "app/ProgramTexts.h"

#include <array>

namespace sonavel::texts {

std::span<const std::string_view> All() {
  static constexpr std::array<std::string_view, 11> kAll = {kRecording,
                                                            kSaved,
                                                            kIdle,
                                                            kConfirmationStart,
                                                            kConfirmationEnd,
                                                            kConfirmationTitle,
                                                            kAboutTitle,
                                                            kHelpTitle,
                                                            kEmpty,
                                                            kAbout,
                                                            kHelp};
  return kAll;
}

}  // namespace sonavel::texts
