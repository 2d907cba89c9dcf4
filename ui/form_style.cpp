#include "ui/form_style.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPalette>
#include <QWidget>

#include "ui/setting_values.h"

namespace quarnel {

QRect TwipsRect(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
          height / kTwipsPerPixel};
}

QFont SansSerifFont(qreal pointSize) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(pointSize);
  return font;
}

void SetBackground(QWidget& widget, const QColor& color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, color);
  palette.setColor(QPalette::Window, color);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}

void SetSingleLineBorder(QLabel& label) {
  label.setFrameShape(QFrame::Box);
  label.setFrameShadow(QFrame::Plain);
  label.setLineWidth(1);
}

}  // namespace quarnel
