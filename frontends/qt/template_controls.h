#pragma once

#include <QWidget>
#include <map>

#include "frontends/model/control_layout.h"
#include "frontends/model/dialog_templates.h"

namespace vexa::dialog {

// The widgets of one dialog template, created in their parent with the template's texts and
// styles; ApplyLayout places and shows them.
class TemplateControls {
 public:
  TemplateControls(QWidget& parent, const ui::DialogTemplate& dialog);

  QWidget* widget(int id) const { return widgets_.at(id); }
  template <typename Widget>
  Widget* get(int id) const {
    return qobject_cast<Widget*>(widget(id));
  }

  // Geometry and visibility of every control, as the layout says.
  void ApplyLayout(const ui::ControlLayout& layout) const;

 private:
  std::map<int, QWidget*> widgets_;
};

}  // namespace vexa::dialog
