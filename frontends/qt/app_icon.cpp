#include "frontends/qt/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace vexa::dialog {

namespace {

// A converter chip: a dark package with pins on two sides and a green arrow for the update,
// drawn so it reads at 16 and at 32 pixels.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 16.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(170, 170, 170));
  for (int pin = 0; pin < 4; ++pin) {
    const qreal y = (3 + pin * 3) * unit;
    painter.drawRect(QRectF(0, y, 2 * unit, unit));
    painter.drawRect(QRectF(14 * unit, y, 2 * unit, unit));
  }
  painter.setBrush(QColor(40, 48, 64));
  painter.drawRoundedRect(QRectF(2 * unit, 1 * unit, 12 * unit, 14 * unit), unit, unit);
  painter.setBrush(QColor(120, 210, 90));
  const QPointF arrow[] = {{8 * unit, 3 * unit},    {12 * unit, 8 * unit},   {9.5 * unit, 8 * unit},
                           {9.5 * unit, 13 * unit}, {6.5 * unit, 13 * unit}, {6.5 * unit, 8 * unit},
                           {4 * unit, 8 * unit}};
  painter.drawPolygon(arrow, 7);
  return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace vexa::dialog
