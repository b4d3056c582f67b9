#pragma once

#include <QWidget>
#include <functional>

#include "framework/Geometry.h"

namespace sonavel::qt {

// A top-level window with a fixed frame whose outer size, frame and title bar included, is the
// one asked for. Under a window manager the frame is known only once the window is shown, so
// the client area is sized again when the frame's extents arrive.
class FrameWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit FrameWindow(std::function<void()> onCloseRequest);

  void SetOuter(const Rect& outer);
  Rect Outer() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void FitToOuter();

  std::function<void()> onCloseRequest_;
  Rect outer_;
};

}  // namespace sonavel::qt
