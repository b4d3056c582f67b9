#include "platform/qt/QtDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/qt/FrameWindow.h"
#include "platform/qt/KeyMapping.h"
#include "platform/qt/LabelWidget.h"

namespace sonavel::qt {
namespace {

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
  return text.toUtf8().toStdString();
}

// A message posted to a framework window; also carries the quit message (window 0).
class PostedEvent final : public QEvent {
 public:
  static inline const auto kType = static_cast<QEvent::Type>(QEvent::registerEventType());
  PostedEvent(WindowHandle to, std::uint32_t number, std::uintptr_t first, std::intptr_t second)
      : QEvent(kType), window(to), message(number), wParam(first), lParam(second) {}

  WindowHandle window;
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

constexpr std::uint32_t kQuitMessage = 0x0012;

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    icon.addFile(QStringLiteral(":/sonavel/icons/sonavel-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QMessageBox::Icon BoxIcon(std::uint32_t flags) {
  switch (flags & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

QMessageBox::StandardButtons BoxButtons(std::uint32_t flags) {
  switch (flags & 0x0F) {
    case 1:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
      return QMessageBox::Yes | QMessageBox::No;
    case 5:
      return QMessageBox::Retry | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

int BoxAnswer(int button) {
  switch (button) {
    case QMessageBox::Cancel:
      return box_answer::kCancel;
    case QMessageBox::Abort:
      return box_answer::kAbort;
    case QMessageBox::Retry:
      return box_answer::kRetry;
    case QMessageBox::Ignore:
      return box_answer::kIgnore;
    case QMessageBox::Yes:
      return box_answer::kYes;
    case QMessageBox::No:
      return box_answer::kNo;
    default:
      return box_answer::kOk;
  }
}

// "description|pattern|description|pattern||" as Qt's name filters.
QStringList NameFilters(std::string_view filter) {
  const QStringList parts = ToQt(filter).split('|', Qt::SkipEmptyParts);
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
  }
  return filters;
}

void ClearToolkitMnemonic(QPushButton& button) {
  button.setShortcut(QKeySequence());
}

}  // namespace

QtDesktop::QtDesktop(int& argc, char** argv)
    : application_(std::make_unique<QApplication>(argc, argv)) {
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(ApplicationIcon());
  // The stock texts of boxes and dialogs (OK, Save, Cancel, the overwrite question) follow the
  // system's language where Qt's translations for it are installed; English otherwise.
  if (translator_.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&translator_);
  }
  application_->installEventFilter(this);
}

QtDesktop::~QtDesktop() {
  application_->removeEventFilter(this);
  for (auto& [handle, widget] : widgets_) {
    if (widget && widget->isWindow())
      delete widget.data();
  }
}

WindowHandle QtDesktop::Register(QWidget* widget) {
  widgets_[nextHandle_] = widget;
  return nextHandle_++;
}

QWidget* QtDesktop::WidgetOf(WindowHandle handle) const {
  const auto found = widgets_.find(handle);
  return found != widgets_.end() ? found->second.data() : nullptr;
}

WindowHandle QtDesktop::HandleOf(const QObject* object) const {
  for (const auto& [handle, widget] : widgets_) {
    if (widget.data() == object)
      return handle;
  }
  return 0;
}

QWidget* QtDesktop::ActiveFrameworkWindow() const {
  QWidget* active = QApplication::activeWindow();
  if (active != nullptr && HandleOf(active) != 0)
    return active;
  for (const auto& [handle, widget] : widgets_) {
    if (widget && widget->isWindow() && widget->isVisible())
      return widget.data();
  }
  return nullptr;
}

Size QtDesktop::ScreenSize() const {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  return {screen.width(), screen.height()};
}

WindowHandle QtDesktop::CreateTopLevel(const TopLevelSpec& description) {
  auto* window = new FrameWindow([this, handle = nextHandle_] {
    if (events_ != nullptr)
      events_->CloseRequested(handle);
  });
  Qt::WindowFlags flags = window->windowFlags();
  flags.setFlag(Qt::WindowSystemMenuHint, description.frame.systemMenu);
  flags.setFlag(Qt::WindowMinimizeButtonHint, description.frame.minimizeBox);
  flags.setFlag(Qt::WindowMaximizeButtonHint, description.frame.maximizeBox);
  window->setWindowFlags(flags);
  window->setWindowTitle(ToQt(description.title));
  window->setWindowIcon(QApplication::windowIcon());
  window->SetOuter(description.outer);
  return Register(window);
}

Rect QtDesktop::OuterRect(WindowHandle window) const {
  auto* frame = qobject_cast<FrameWindow*>(WidgetOf(window));
  return frame != nullptr ? frame->Outer() : Rect{};
}

void QtDesktop::SetOuterRect(WindowHandle window, const Rect& outer) {
  if (auto* frame = qobject_cast<FrameWindow*>(WidgetOf(window)))
    frame->SetOuter(outer);
}

WindowHandle QtDesktop::CreateControl(WindowHandle parent, const ControlSpec& description) {
  QWidget* owner = WidgetOf(parent);
  if (owner == nullptr)
    return 0;
  QWidget* control = nullptr;
  switch (description.kind) {
    case ControlKind::kLabel: {
      auto* label = new LabelWidget(owner);
      label->SetCaption(ToQt(description.text));
      control = label;
      break;
    }
    case ControlKind::kButton: {
      auto* button = new QPushButton(ToQt(description.text), owner);
      ClearToolkitMnemonic(*button);
      button->setAutoDefault(false);
      button->setFocusPolicy(description.tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      connect(button, &QPushButton::clicked, this, [this, handle = nextHandle_] {
        if (events_ != nullptr)
          events_->Clicked(handle);
      });
      control = button;
      break;
    }
    case ControlKind::kEditBox:
      control = new QLineEdit(ToQt(description.text), owner);
      break;
    case ControlKind::kHidden:
      control = new QWidget(owner);
      break;
  }
  control->setGeometry(description.rect.left, description.rect.top, description.rect.width,
                       description.rect.height);
  control->setEnabled(!description.disabled);
  control->hide();
  return Register(control);
}

void QtDesktop::StackControls(WindowHandle, std::span<const WindowHandle> topmostFirst) {
  for (auto it = topmostFirst.rbegin(); it != topmostFirst.rend(); ++it) {
    if (QWidget* control = WidgetOf(*it))
      control->raise();
  }
}

void QtDesktop::ShowWithoutActivating(WindowHandle control) {
  if (QWidget* widget = WidgetOf(control)) {
    widget->setAttribute(Qt::WA_ShowWithoutActivating);
    widget->show();
  }
}

void QtDesktop::Hide(WindowHandle control) {
  if (QWidget* widget = WidgetOf(control))
    widget->hide();
}

void QtDesktop::ShowActive(WindowHandle window) {
  if (QWidget* widget = WidgetOf(window)) {
    widget->showNormal();
    widget->raise();
    widget->activateWindow();
  }
}

void QtDesktop::SetEnabled(WindowHandle handle, bool enabled) {
  if (QWidget* widget = WidgetOf(handle))
    widget->setEnabled(enabled);
}

void QtDesktop::SetText(WindowHandle handle, std::string_view text) {
  QWidget* widget = WidgetOf(handle);
  if (auto* label = qobject_cast<LabelWidget*>(widget)) {
    label->SetCaption(ToQt(text));
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(ToQt(text));
    ClearToolkitMnemonic(*button);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(ToQt(text));
  } else if (widget != nullptr && widget->isWindow()) {
    widget->setWindowTitle(ToQt(text));
  }
}

void QtDesktop::SetFocus(WindowHandle control) {
  // Tab reason, so that the style draws the focus frame of the control keyboard users moved to.
  if (QWidget* widget = WidgetOf(control))
    widget->setFocus(Qt::TabFocusReason);
}

void QtDesktop::DestroyTopLevel(WindowHandle window) {
  QWidget* widget = WidgetOf(window);
  if (widget == nullptr)
    return;
  for (auto it = widgets_.begin(); it != widgets_.end();) {
    if (it->second.isNull() || it->second == widget || widget->isAncestorOf(it->second)) {
      it = widgets_.erase(it);
    } else {
      ++it;
    }
  }
  widget->hide();
  // The window may be destroyed from inside one of its own buttons' click: delete it later.
  widget->deleteLater();
}

int QtDesktop::MessageBox(std::string_view text, std::string_view title, std::uint32_t flags) {
  QMessageBox box(BoxIcon(flags), ToQt(title), ToQt(text).replace("\r\n", "\n"), BoxButtons(flags));
  box.setWindowModality(Qt::ApplicationModal);
  return BoxAnswer(box.exec());
}

std::optional<std::string> QtDesktop::FileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(ActiveFrameworkWindow(), ToQt(request.title));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
  dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (!request.initialFolder.empty())
    dialog.setDirectory(ToQt(request.initialFolder));
  const QStringList filters = NameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    const qsizetype selected = request.filterIndex - 1;
    if (selected >= 0 && selected < filters.size())
      dialog.selectNameFilter(filters[selected]);
  }
  if (!request.initialName.empty())
    dialog.selectFile(ToQt(request.initialName));
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
  if (!request.keepCurrentFolder) {
    // As the system's own dialog does, the chosen folder becomes the current one.
    QDir::setCurrent(QFileInfo(chosen).absolutePath());
  }
  return FromQt(chosen);
}

void QtDesktop::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) {
  QCoreApplication::postEvent(this, new PostedEvent(window, message, wParam, lParam));
}

void QtDesktop::PostQuit(int exitCode) {
  QCoreApplication::postEvent(
      this, new PostedEvent(0, kQuitMessage, static_cast<std::uintptr_t>(exitCode), 0));
}

bool QtDesktop::event(QEvent* event) {
  if (event->type() != PostedEvent::kType)
    return QObject::event(event);
  const auto& posted = static_cast<const PostedEvent&>(*event);
  if (posted.window == 0 && posted.message == kQuitMessage) {
    QCoreApplication::exit(static_cast<int>(posted.wParam));
  } else if (events_ != nullptr && WidgetOf(posted.window) != nullptr) {
    events_->MessageArrived(posted.window, posted.message, posted.wParam, posted.lParam);
  }
  return true;
}

int QtDesktop::RunLoop() {
  return QApplication::exec();
}

void QtDesktop::Sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string QtDesktop::ProgramPath() const {
  return FromQt(QCoreApplication::applicationFilePath());
}

bool QtDesktop::SetCurrentDirectory(const std::string& folder) {
  return QDir::setCurrent(ToQt(folder));
}

void QtDesktop::EndProcess(int exitCode) {
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

bool QtDesktop::eventFilter(QObject* watched, QEvent* event) {
  if (events_ == nullptr || !watched->isWidgetType())
    return false;
  const auto* widget = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::KeyPress: {
      // A key travels from the window's focus widget up to the window; offer it once, where
      // it starts.
      const QWidget* start = widget->window()->focusWidget();
      if (widget != (start != nullptr ? start : widget->window()))
        return false;
      const WindowHandle target = HandleOf(widget);
      if (target == 0)
        return false;
      const KeyPress key = ToKeyPress(static_cast<const QKeyEvent&>(*event));
      return key.virtualKey != 0 && events_->PreTranslateKey(target, key);
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
      if (widget->isWindow()) {
        if (const WindowHandle window = HandleOf(widget)) {
          events_->ActivationChanged(window, event->type() == QEvent::WindowActivate);
        }
      }
      return false;
    case QEvent::FocusIn:
      if (const WindowHandle control = HandleOf(widget))
        events_->FocusChanged(control);
      return false;
    default:
      return false;
  }
}

}  // namespace sonavel::qt
