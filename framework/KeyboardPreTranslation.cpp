// The window's own keyboard handling, offered every key before the toolkit sees it: Tab order,
// access keys (mnemonics), and the keys this framework gives no meaning to.
#include <cctype>
#include <string>

#include "framework/Framework.h"
#include "framework/PropertyIndex.h"

namespace sonavel {
namespace {

// The character of a digit or letter key, or 0.
char MnemonicCharacter(std::uint32_t virtualKey) {
  if (virtualKey >= vk::kDigit0 && virtualKey <= vk::kDigit0 + 9) {
    return static_cast<char>('0' + (virtualKey - vk::kDigit0));
  }
  if (virtualKey >= vk::kNumpad0 && virtualKey <= vk::kNumpad0 + 9) {
    return static_cast<char>('0' + (virtualKey - vk::kNumpad0));
  }
  if (virtualKey >= vk::kLetterA && virtualKey <= vk::kLetterA + 25) {
    return static_cast<char>('A' + (virtualKey - vk::kLetterA));
  }
  return 0;
}

bool IsArrow(std::uint32_t virtualKey) {
  return virtualKey >= vk::kLeft && virtualKey <= vk::kDown;
}

}  // namespace

bool Framework::PreTranslate(LoadedWindow& window, const KeyPress& key) {
  if (key.virtualKey == vk::kTab && !key.alt && !key.ctrl) {
    return MoveFocusByTab(window, key.shift);
  }
  if (key.alt && !key.ctrl && !key.shift) {
    const char character = MnemonicCharacter(key.virtualKey);
    return character != 0 && HandleMnemonic(window, character);
  }
  if (key.alt)
    return false;
  switch (key.virtualKey) {
    case vk::kReturn:
      // No default-style button exists in this framework; Enter only moves the focus when the
      // window asks for it.
      if (window.Self().Integer(property::kEnterMovesFocus) != 0)
        MoveFocusByTab(window, false);
      return true;
    case vk::kEscape:
      if (window.Self().Integer(property::kEscCloses) != 0)
        CloseRequested(window.Handle());
      return true;
    case vk::kF1:
      return true;
    default:
      return IsArrow(key.virtualKey);
  }
}

bool Framework::MoveFocusByTab(LoadedWindow& window, bool backwards) {
  const std::vector<int> order = window.TabOrder();
  if (order.empty())
    return true;
  const auto size = static_cast<int>(order.size());
  int position = -1;
  for (int i = 0; i < size; ++i) {
    if (order[i] == window.focused)
      position = i;
  }
  int next = 0;
  if (position < 0) {
    next = backwards ? size - 1 : 0;
  } else {
    next = (position + (backwards ? size - 1 : 1)) % size;
  }
  FocusUnit(window, order[next]);
  return true;
}

bool Framework::HandleMnemonic(LoadedWindow& window, char character) {
  const std::string pattern{'&', character};
  std::string lowerPattern;
  if (std::isalpha(static_cast<unsigned char>(character))) {
    lowerPattern = {'&', static_cast<char>(std::tolower(static_cast<unsigned char>(character)))};
  }
  std::vector<RuntimeUnit>& units = window.Units();
  for (std::size_t i = 1; i < units.size(); ++i) {
    const RuntimeUnit& unit = units[i];
    if (!unit.shown || unit.disabled || !unit.Type().visual || !unit.Type().hasMnemonics) {
      continue;
    }
    const std::string_view text = unit.Text();
    const bool matches =
        text.find(pattern) != std::string_view::npos ||
        (!lowerPattern.empty() && text.find(lowerPattern) != std::string_view::npos);
    if (!matches)
      continue;
    if (unit.Type().code == type_code::kButton) {
      FireEvent(window, static_cast<int>(i), button_event::kClick);
    } else {
      // A label hands the focus to the first control of the tab order that follows it.
      const std::int32_t labelOrder = unit.Description().tabOrder;
      for (int candidate : window.TabOrder()) {
        if (units[candidate].Description().tabOrder >= labelOrder) {
          FocusUnit(window, candidate);
          break;
        }
      }
    }
    return true;
  }
  return false;
}

}  // namespace sonavel
