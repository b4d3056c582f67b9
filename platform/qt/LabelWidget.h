#pragma once

#include <QString>
#include <QWidget>

namespace sonavel::qt {

// A label painted the framework's way: opaque button-face background, one line, left-aligned and
// vertically centred, "&" marking an underlined mnemonic ("&&" draws one "&"), and text that
// does not fit cut off at the edge without an ellipsis.
class LabelWidget final : public QWidget {
  Q_OBJECT

 public:
  explicit LabelWidget(QWidget* parent);

  void SetCaption(const QString& caption);
  const QString& Caption() const { return caption_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
};

}  // namespace sonavel::qt
