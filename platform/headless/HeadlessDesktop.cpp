#include "platform/headless/HeadlessDesktop.h"

#include <stdexcept>
#include <utility>

#include "framework/ProcessEnded.h"

namespace sonavel::headless {

HeadlessDesktop::HeadlessDesktop() = default;

Node* HeadlessDesktop::Live(WindowHandle handle) {
  auto found = nodes_.find(handle);
  return found != nodes_.end() && !found->second.destroyed ? &found->second : nullptr;
}

const Node* HeadlessDesktop::Find(WindowHandle handle) const {
  auto found = nodes_.find(handle);
  return found != nodes_.end() ? &found->second : nullptr;
}

WindowHandle HeadlessDesktop::FindByText(std::string_view text) const {
  for (const auto& [handle, node] : nodes_) {
    if (!node.destroyed && node.text == text)
      return handle;
  }
  return 0;
}

WindowHandle HeadlessDesktop::TopLevel() const {
  for (const auto& [handle, node] : nodes_) {
    if (!node.destroyed && node.topLevel)
      return handle;
  }
  return 0;
}

std::string HeadlessDesktop::FocusedText() const {
  const Node* node = Find(focused_);
  return node != nullptr ? node->text : std::string();
}

void HeadlessDesktop::SetProgramPath(std::string path, char separator) {
  programPath_ = std::move(path);
  separator_ = separator;
}

bool HeadlessDesktop::TakesInput(WindowHandle handle) const {
  const Node* node = Find(handle);
  while (node != nullptr) {
    if (node->destroyed || !node->shown || !node->enabled)
      return false;
    if (node->topLevel)
      return modalDepth_ == 0;
    node = Find(node->parent);
  }
  return false;
}

void HeadlessDesktop::PressKey(const KeyPress& key) {
  const WindowHandle target = focused_ != 0 ? focused_ : TopLevel();
  if (events_ == nullptr || !TakesInput(target))
    return;
  if (events_->PreTranslateKey(target, key))
    return;
  const Node* node = Find(target);
  const bool plain = !key.alt && !key.ctrl && !key.shift;
  if (plain && key.virtualKey == vk::kSpace && node->kind == ControlKind::kButton &&
      TakesInput(target)) {
    events_->Clicked(target);
  }
}

void HeadlessDesktop::Click(WindowHandle control) {
  if (events_ == nullptr || !TakesInput(control))
    return;
  const Node* node = Find(control);
  if (node->kind == ControlKind::kButton || node->kind == ControlKind::kEditBox) {
    focused_ = control;
    events_->FocusChanged(control);
  }
  if (node->kind == ControlKind::kButton && TakesInput(control))
    events_->Clicked(control);
}

void HeadlessDesktop::MoveFocus(WindowHandle control) {
  if (events_ == nullptr || !TakesInput(control))
    return;
  focused_ = control;
  events_->FocusChanged(control);
}

void HeadlessDesktop::RequestClose(WindowHandle window) {
  if (events_ != nullptr && TakesInput(window))
    events_->CloseRequested(window);
}

void HeadlessDesktop::Deactivate(WindowHandle window) {
  if (events_ != nullptr && Live(window) != nullptr)
    events_->ActivationChanged(window, false);
  focused_ = 0;
}

void HeadlessDesktop::Activate(WindowHandle window) {
  if (events_ != nullptr && Live(window) != nullptr)
    events_->ActivationChanged(window, true);
}

WindowHandle HeadlessDesktop::CreateTopLevel(const TopLevelSpec& description) {
  if (std::exchange(failTopLevel_, false))
    return 0;
  Node node;
  node.topLevel = true;
  node.rect = description.outer;
  if (creationSize_) {
    node.rect.width = creationSize_->width;
    node.rect.height = creationSize_->height;
  }
  node.text = std::string(description.title);
  node.frame = description.frame;
  nodes_[nextHandle_] = node;
  return nextHandle_++;
}

Rect HeadlessDesktop::OuterRect(WindowHandle window) const {
  const Node* node = Find(window);
  return node != nullptr ? node->rect : Rect{};
}

void HeadlessDesktop::SetOuterRect(WindowHandle window, const Rect& outer) {
  ++setOuterRectCalls_;
  if (Node* node = Live(window))
    node->rect = outer;
}

WindowHandle HeadlessDesktop::CreateControl(WindowHandle parent, const ControlSpec& description) {
  if (Live(parent) == nullptr)
    return 0;
  Node node;
  node.parent = parent;
  node.kind = description.kind;
  node.rect = description.rect;
  node.text = std::string(description.text);
  node.enabled = !description.disabled;
  node.tabStop = description.tabStop;
  nodes_[nextHandle_] = node;
  return nextHandle_++;
}

void HeadlessDesktop::StackControls(WindowHandle parent,
                                    std::span<const WindowHandle> topmostFirst) {
  if (Node* node = Live(parent))
    node->stacking.assign(topmostFirst.begin(), topmostFirst.end());
}

void HeadlessDesktop::ShowWithoutActivating(WindowHandle control) {
  if (Node* node = Live(control))
    node->shown = true;
}

void HeadlessDesktop::Hide(WindowHandle control) {
  if (Node* node = Live(control))
    node->shown = false;
  if (focused_ == control)
    focused_ = 0;
}

void HeadlessDesktop::ShowActive(WindowHandle window) {
  if (Node* node = Live(window))
    node->shown = true;
}

void HeadlessDesktop::SetEnabled(WindowHandle handle, bool enabled) {
  if (Node* node = Live(handle))
    node->enabled = enabled;
}

void HeadlessDesktop::SetText(WindowHandle handle, std::string_view text) {
  if (Node* node = Live(handle))
    node->text = std::string(text);
}

void HeadlessDesktop::SetFocus(WindowHandle control) {
  if (Live(control) != nullptr)
    focused_ = control;
}

void HeadlessDesktop::DestroyTopLevel(WindowHandle window) {
  for (auto& [handle, node] : nodes_) {
    if (handle == window || node.parent == window)
      node.destroyed = true;
  }
  if (const Node* focusedNode = Find(focused_); focusedNode != nullptr && focusedNode->destroyed) {
    focused_ = 0;
  }
}

int HeadlessDesktop::MessageBox(std::string_view text, std::string_view title,
                                std::uint32_t flags) {
  boxes_.push_back({std::string(text), std::string(title), flags});
  ++modalDepth_;
  if (whileModal)
    whileModal();
  --modalDepth_;
  if (boxAnswers_.empty())
    return box_answer::kOk;
  const int answer = boxAnswers_.front();
  boxAnswers_.pop_front();
  return answer;
}

std::optional<std::string> HeadlessDesktop::FileDialog(const FileDialogRequest& request) {
  dialogs_.push_back({request.save, std::string(request.title), std::string(request.initialName),
                      std::string(request.initialFolder), std::string(request.defaultExtension),
                      std::string(request.filter), request.filterIndex, request.overwritePrompt,
                      request.fileMustExist, request.folderMustExist, request.promptToCreate,
                      request.keepCurrentFolder});
  ++modalDepth_;
  if (whileModal)
    whileModal();
  --modalDepth_;
  if (dialogAnswers_.empty())
    return std::nullopt;
  std::optional<std::string> answer = std::move(dialogAnswers_.front());
  dialogAnswers_.pop_front();
  return answer;
}

void HeadlessDesktop::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t,
                                  std::intptr_t) {
  posted_.push_back({window, message});
}

void HeadlessDesktop::PostQuit(int exitCode) {
  quitCode_ = exitCode;
}

bool HeadlessDesktop::DispatchOnePosted() {
  if (posted_.empty())
    return false;
  const PostedMessage message = posted_.front();
  posted_.pop_front();
  // Messages for windows that no longer exist are dropped, as a system does.
  if (events_ != nullptr && Live(message.window) != nullptr) {
    events_->MessageArrived(message.window, message.message, 0, 0);
  }
  return true;
}

void HeadlessDesktop::Pump() {
  while (DispatchOnePosted()) {
  }
}

int HeadlessDesktop::RunLoop() {
  for (;;) {
    if (DispatchOnePosted())
      continue;
    if (quitCode_)
      return *std::exchange(quitCode_, std::nullopt);
    if (idleActions_.empty()) {
      throw std::logic_error("headless loop is idle and the test scripted nothing more");
    }
    std::function<void()> action = std::move(idleActions_.front());
    idleActions_.pop_front();
    action();
  }
}

bool HeadlessDesktop::SetCurrentDirectory(const std::string& folder) {
  directories_.push_back(folder);
  return true;
}

void HeadlessDesktop::EndProcess(int exitCode) {
  throw ProcessEnded{exitCode};
}

}  // namespace sonavel::headless
