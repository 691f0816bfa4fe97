#include "ui/check_box.h"

namespace tessary {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
  connect(this, &QCheckBox::stateChanged, this, [this] { emit valueChanged(value()); });
}

int CheckBox::value() const {
  switch (checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    case Qt::Unchecked:
      break;
  }
  return 0;
}

void CheckBox::setValue(int value) {
  if (value == 2) setTristate(true);
  setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void CheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace tessary
