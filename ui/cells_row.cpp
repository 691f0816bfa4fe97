#include "ui/cells_row.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "ui/browse_naming.h"
#include "ui/check_box.h"
#include "ui/placement.h"
#include "ui/window_options.h"

namespace tessary {

CellsRow::CellsRow(QWidget* form) : QObject(form), form_(form) {
  lblThreshold =
      Placed(new QLabel(tr("&Threshold:"), form), "lblThreshold", Twips(120, 4425, 0, 0));
  spnThreshold = Placed(new QSpinBox(form), "spnThreshold", Twips(1080, 4380, 855, 285));
  spnThreshold->setRange(0, 255);
  spnThreshold->setSpecialValueText(tr("2 colours"));  // what 0 means
  CUnique = NewBox(form, "CUnique", "&Unique tiles", Twips(2040, 4380, 1455, 255), 0);
  lblMap = Placed(new QLabel(tr("&Map file:"), form), "lblMap", Twips(120, 4785, 0, 0));
  txtMap = NewField(form, "txtMap", Twips(1080, 4740, 2175, 285));
  // A label shows its "&" as an access key only once it has a buddy.
  lblThreshold->setBuddy(spnThreshold);
  lblMap->setBuddy(txtMap);

  connect(spnThreshold, &QSpinBox::valueChanged, this, &CellsRow::changed);
  connect(CUnique, &CheckBox::valueChanged, this, &CellsRow::changed);
  connect(txtMap, &QLineEdit::textChanged, this, &CellsRow::changed);
  for (const char* name : {"CVert", "CSkip", "C1616", "C812Mask", "CGlyph"}) {
    const auto* box = form->findChild<CheckBox*>(QString::fromLatin1(name));
    connect(box, &CheckBox::valueChanged, this, &CellsRow::UpdateEnabled);
  }
  UpdateEnabled();
}

QList<QWidget*> CellsRow::TabOrder() const { return {spnThreshold, CUnique, txtMap}; }

void CellsRow::UpdateEnabled() {
  const bool row_walk = RowWalkOf(*form_);
  CUnique->setEnabled(row_walk);
  txtMap->setEnabled(row_walk);
}

void CellsRow::FollowInput(const QString& input) {
  if (!txtMap->text().isEmpty()) txtMap->setText(MapNameFor(input));
}

}  // namespace tessary
