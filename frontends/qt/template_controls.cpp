#include "frontends/qt/template_controls.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "frontends/qt/app_icon.h"
#include "frontends/qt/qt_text.h"
#include "frontends/qt/ro_edit.h"

namespace vexa::dialog {

namespace {

QWidget* CreateControl(QWidget& parent, const ui::ControlTemplate& control) {
  const QString text = QString::fromUtf8(control.text);
  switch (control.kind) {
    case ui::ControlKind::kStatic: {
      auto* label = new QLabel(text, &parent);
      // Chip and file texts can hold "<...>"; they are never markup.
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ui::ControlKind::kEdit:
    case ui::ControlKind::kMultiLineEdit: {
      auto* edit = new CRoEdit(
          control.kind == ui::ControlKind::kEdit ? CRoEdit::Lines::kSingle : CRoEdit::Lines::kMulti,
          &parent);
      if (control.readOnly) edit->SetReadOnlyMode(1);
      return edit;
    }
    case ui::ControlKind::kButton:
    case ui::ControlKind::kDefaultButton: {
      auto* button = new QPushButton(text, &parent);
      button->setDefault(control.kind == ui::ControlKind::kDefaultButton);
      return button;
    }
    case ui::ControlKind::kGroupBox:
      return new QGroupBox(text, &parent);
    case ui::ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(&parent);
      bar->setTextVisible(false);
      return bar;
    }
    case ui::ControlKind::kFrame: {
      auto* frame = new QFrame(&parent);
      frame->setFrameStyle(QFrame::Box | QFrame::Plain);
      return frame;
    }
    case ui::ControlKind::kIcon: {
      auto* icon = new QLabel(&parent);
      icon->setPixmap(ApplicationIcon().pixmap(32, 32));
      return icon;
    }
  }
  return nullptr;
}

}  // namespace

TemplateControls::TemplateControls(QWidget& parent, const ui::DialogTemplate& dialog) {
  for (const ui::ControlTemplate& control : dialog.controls) {
    widgets_[control.id] = CreateControl(parent, control);
  }
}

void TemplateControls::ApplyLayout(const ui::ControlLayout& layout) const {
  for (const auto& [id, placement] : layout.placements()) {
    QWidget* control = widget(id);
    control->setGeometry(ToQRect(placement.rect));
    control->setVisible(placement.visible);
  }
}

}  // namespace vexa::dialog
