#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

#include "frontends/model/colors.h"
#include "frontends/model/dialog_units.h"

namespace vexa::dialog {

// The engine's text is UTF-8 with "\r\n" line ends; the widgets take QString.
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToUtf8(const QString& text) {
  return text.toStdString();
}

// Text for a multi-line box: one line break per "\r\n".
inline QString MultiLineText(std::string_view text) {
  return ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Text for a one-line box or label: messages that end in "\r\n" show without it.
inline QString OneLineText(std::string_view text) {
  QString line = ToQString(text);
  line.remove(QLatin1Char('\r'));
  line.remove(QLatin1Char('\n'));
  return line;
}

inline QColor ToQColor(ui::Rgb color) {
  return QColor(color.red, color.green, color.blue);
}

inline QRect ToQRect(const ui::PixelRect& rect) {
  return QRect(rect.x, rect.y, rect.width, rect.height);
}

}  // namespace vexa::dialog
