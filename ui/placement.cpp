#include "ui/placement.h"

#include <QLineEdit>
#include <limits>

#include "ui/check_box.h"
#include "ui/indicator_style.h"

namespace tessary {

QRect Twips(int left, int top, int width, int height) {
  constexpr int kTwipsPerPixel = 15;
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

QLineEdit* NewField(QWidget* form, const char* name, const QRect& geometry) {
  auto* field = Placed(new QLineEdit(form), name, geometry);
  field->setMaxLength(std::numeric_limits<int>::max());
  return field;
}

CheckBox* NewBox(QWidget* form, const char* name, const char* caption, const QRect& geometry,
                 int value) {
  auto* box = Placed(new CheckBox(QString::fromLatin1(caption), form), name, geometry);
  box->setStyle(CheckBoxStyle());
  box->setValue(value);
  return box;
}

}  // namespace tessary
