#include "framework/ProgramCatalog.h"

#include <algorithm>
#include <set>
#include <variant>

#include "framework/CoreLibrary.h"
#include "framework/PropertyIndex.h"

namespace sonavel {
namespace {

std::optional<UnitType> ResolveType(TypeCode code, std::span<SupportLibrary* const> libraries) {
  const std::uint16_t libraryNumber = LibraryNumberOf(code);
  if (libraryNumber == 0 || libraryNumber > libraries.size())
    return std::nullopt;
  if (libraryNumber == 1) {
    const UnitType* core = FindCoreUnitType(code);
    return core != nullptr ? std::optional(*core) : std::nullopt;
  }
  const SupportLibrary& library = *libraries[libraryNumber - 1];
  if (library.ComponentTypeEntry(TypeNumberOf(code), 1) == nullptr)
    return std::nullopt;
  return ComponentUnitType(code, library.HasVisibleForm(TypeNumberOf(code)));
}

bool SettingFits(const UnitType& type, const TypeSetting& setting) {
  const OwnProperty* property = type.FindProperty(setting.index);
  if (property == nullptr)
    return false;
  const bool isText = std::holds_alternative<std::string_view>(setting.value);
  return isText == (property->kind == PropertyKind::kText);
}

std::optional<CatalogUnit> ReadUnit(const UnitDescription& unit,
                                    const ProgramDescription& program) {
  std::optional<UnitType> type = ResolveType(unit.type, program.libraries);
  if (!type || unit.rect.width < 0 || unit.rect.height < 0)
    return std::nullopt;
  CatalogUnit entry{&unit, *type, {}};
  for (const TypeSetting& setting : unit.settings) {
    if (!SettingFits(entry.type, setting))
      return std::nullopt;
  }
  for (const EventBinding& binding : unit.events) {
    if (binding.handlerOffset == -1)
      continue;
    if (binding.handlerOffset < 0 ||
        static_cast<std::size_t>(binding.handlerOffset) >= program.handlers.size() ||
        program.handlers[binding.handlerOffset] == nullptr) {
      return std::nullopt;
    }
    entry.handlers.emplace_back(binding.event, program.handlers[binding.handlerOffset]);
  }
  return entry;
}

std::optional<CatalogWindow> ReadWindow(const WindowDescription& window,
                                        const ProgramDescription& program) {
  if (window.windowId == 0 || window.units.empty())
    return std::nullopt;
  const UnitDescription& self = window.units.front();
  if (self.type != type_code::kWindow || !NamesWindowItself(self.unitId))
    return std::nullopt;

  std::set<ControlId> ids;
  for (const UnitDescription& unit : window.units.subspan(1)) {
    if (unit.type == type_code::kWindow || NamesWindowItself(unit.unitId))
      return std::nullopt;
    if (!ids.insert(unit.unitId).second)
      return std::nullopt;
  }
  CatalogWindow entry{window.windowId, {}};
  for (const UnitDescription& unit : window.units) {
    const bool containerKnown = unit.container == 0 || ids.contains(unit.container);
    const bool contentsKnown = std::ranges::all_of(
        unit.contents, [&](ControlId contained) { return ids.contains(contained); });
    if (!containerKnown || !contentsKnown)
      return std::nullopt;
    std::optional<CatalogUnit> read = ReadUnit(unit, program);
    if (!read)
      return std::nullopt;
    entry.units.push_back(std::move(*read));
  }
  return entry;
}

}  // namespace

std::optional<ProgramCatalog> ProgramCatalog::Read(const ProgramDescription& program) {
  if (program.libraries.empty() || !IsCoreLibrary(program.libraries.front()) ||
      std::ranges::find(program.libraries, nullptr) != program.libraries.end()) {
    return std::nullopt;
  }
  for (std::string_view text : program.constantTexts) {
    if (text.find('\0') != std::string_view::npos)
      return std::nullopt;
  }
  ProgramCatalog catalog;
  std::set<ControlId> windowIds;
  for (const WindowDescription& window : program.windows) {
    if (!windowIds.insert(window.windowId).second)
      return std::nullopt;
    std::optional<CatalogWindow> read = ReadWindow(window, program);
    if (!read)
      return std::nullopt;
    catalog.windows_.push_back(std::move(*read));
  }
  return catalog;
}

const CatalogWindow* ProgramCatalog::FindWindow(ControlId windowId) const {
  for (const CatalogWindow& window : windows_) {
    if (window.windowId == windowId)
      return &window;
  }
  return nullptr;
}

}  // namespace sonavel
