#include "frontends/qt/dialog_font.h"

#include <QFontMetrics>

namespace vexa::dialog {

QFont DialogFont() {
  QFont font(QStringLiteral("MS Shell Dlg"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QFont OutputFont() {
  QFont font(QStringLiteral("Courier New"), 8);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

ui::DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  return ui::BaseUnitsOfFont(metrics.horizontalAdvance(QLatin1String(ui::kBaseUnitAlphabet)),
                             metrics.height());
}

}  // namespace vexa::dialog
