#include "ui/window_font.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace tessary {
namespace {

bool CheckBoxFits(const QCheckBox& box) {
  const QStyle* style = box.style();
  const QFontMetrics fm = box.fontMetrics();
  const int need = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &box) +
                   style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &box) +
                   fm.horizontalAdvance(box.text());
  const int tallest =
      std::max(fm.height(), style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, &box));
  return need <= box.width() && tallest <= box.height();
}

bool ButtonFits(const QPushButton& button) {
  const QStyle* style = button.style();
  const QFontMetrics fm = button.fontMetrics();
  const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
  const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
  return fm.horizontalAdvance(button.text()) + 2 * margin <= button.width() &&
         fm.height() + 2 * frame <= button.height();
}

bool LineEditFits(const QLineEdit& edit) {
  // The frame on both sides, and the one-pixel margin that a line edit keeps above and below.
  const int frame = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &edit);
  return edit.fontMetrics().height() + 2 * frame + 2 <= edit.height();
}

bool ComboBoxFits(const QComboBox& combo) {
  const QSize need = combo.sizeHint();  // room for its longest item
  return need.width() <= combo.width() && need.height() <= combo.height();
}

bool LabelFits(const QLabel& label, const QWidget& form) {
  const QRect needed(label.pos(), label.sizeHint());
  if (!form.rect().contains(needed)) return false;
  for (const QWidget* other : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other != &label && other->geometry().intersects(needed)) return false;
  }
  return true;
}

bool AllFit(const QWidget& form) {
  for (const QWidget* child : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->testAttribute(Qt::WA_SetFont)) continue;
    if (const auto* box = qobject_cast<const QCheckBox*>(child)) {
      if (!CheckBoxFits(*box)) return false;
    } else if (const auto* button = qobject_cast<const QPushButton*>(child)) {
      if (!ButtonFits(*button)) return false;
    } else if (const auto* edit = qobject_cast<const QLineEdit*>(child)) {
      if (!LineEditFits(*edit)) return false;
    } else if (const auto* combo = qobject_cast<const QComboBox*>(child)) {
      if (!ComboBoxFits(*combo)) return false;
    } else if (const auto* label = qobject_cast<const QLabel*>(child)) {
      if (!LabelFits(*label, form)) return false;
    }
  }
  return true;
}

}  // namespace

void FitWindowFont(QWidget* form) {
  constexpr int kStretches[] = {QFont::Unstretched, QFont::SemiCondensed};
  QFont font = QApplication::font(form);
  bool found = false;
  for (int pixels = 12; pixels >= 7 && !found; --pixels) {
    for (int stretch : kStretches) {
      font.setPixelSize(pixels);
      font.setStretch(stretch);
      form->setFont(font);
      if (AllFit(*form)) {
        found = true;
        break;
      }
    }
  }
  // With no fit at all the smallest, narrowest font stays: it cuts off the least.
  for (QLabel* label : form->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    label->adjustSize();
  }
}

QFont BrowseButtonFont() {
  QFont terminal(QStringLiteral("Terminal"));
  terminal.setStyleHint(QFont::TypeWriter);
  terminal.setPointSize(9);
  terminal.setBold(true);
  terminal.setStretch(QFont::Unstretched);
  return terminal;
}

}  // namespace tessary
