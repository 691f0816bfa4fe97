// CheckBox: a check box whose value is 0 (unchecked), 1 (checked) or 2 (grayed).
#pragma once

#include <QCheckBox>

namespace tessary {

// Only the program sets the value 2, shown as a partially checked box. A click, by mouse or
// keyboard, makes the value 1 or 0: a checked box becomes unchecked, any other becomes checked.
// valueChanged() follows every change of the value, whether a click or the program made it.
class CheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit CheckBox(const QString& text, QWidget* parent = nullptr);

  int value() const;
  // 0, 1 or 2; any other number is taken as 0.
  void setValue(int value);

 signals:
  void valueChanged(int value);

 protected:
  void nextCheckState() override;
};

}  // namespace tessary
