#include "platform/qt/FrameWindow.h"

#include <QCloseEvent>

namespace sonavel::qt {

FrameWindow::FrameWindow(std::function<void()> onCloseRequest)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      onCloseRequest_(std::move(onCloseRequest)) {
  // The whole client area is filled with the button-face colour.
  setAutoFillBackground(true);
  QPalette filled = palette();
  filled.setColor(QPalette::Window, filled.color(QPalette::Button));
  setPalette(filled);
}

void FrameWindow::SetOuter(const Rect& outer) {
  outer_ = outer;
  FitToOuter();
}

Rect FrameWindow::Outer() const {
  const QRect frame = frameGeometry();
  return {frame.x(), frame.y(), frame.width(), frame.height()};
}

void FrameWindow::FitToOuter() {
  const QSize frameExtra = frameGeometry().size() - geometry().size();
  const QSize client(outer_.width - frameExtra.width(), outer_.height - frameExtra.height());
  if (client.isValid() && client != size())
    setFixedSize(client);
  if (pos() != QPoint(outer_.left, outer_.top))
    move(outer_.left, outer_.top);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  // The framework decides and destroys the window itself.
  event->ignore();
  onCloseRequest_();
}

bool FrameWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // The window manager's frame shows up in the geometry once it has reparented the window.
  if (event->type() == QEvent::Show || event->type() == QEvent::Move) {
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    if (size() + frameExtra != QSize(outer_.width, outer_.height))
      FitToOuter();
  }
  return handled;
}

}  // namespace sonavel::qt
