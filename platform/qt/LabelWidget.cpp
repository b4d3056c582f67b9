#include "platform/qt/LabelWidget.h"

#include <QPainter>

namespace sonavel::qt {

LabelWidget::LabelWidget(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

void LabelWidget::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void LabelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Button));
  painter.setPen(Qt::black);
  painter.setFont(font());
  painter.drawText(rect(),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                   caption_);
}

}  // namespace sonavel::qt
