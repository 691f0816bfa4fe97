#include "ui/glyph_row.h"

#include <QLabel>
#include <QLineEdit>

#include "ui/check_box.h"
#include "ui/placement.h"

namespace tessary {

GlyphRow::GlyphRow(QWidget* form) : QObject(form) {
  CGlyph = NewBox(form, "CGlyph", "Glyph", Twips(120, 4020, 855, 255), 0);
  txtGlyph = NewField(form, "txtGlyph", Twips(1080, 4020, 855, 285));
  lblGlyphGap = Placed(new QLabel(tr("Gap:"), form), "lblGlyphGap", Twips(2040, 4065, 0, 0));
  txtGlyphGap = NewField(form, "txtGlyphGap", Twips(2640, 4020, 615, 285));
  lblGlyphGap->setBuddy(txtGlyphGap);

  connect(CGlyph, &CheckBox::valueChanged, this, &GlyphRow::UpdateFieldsEnabled);
  connect(CGlyph, &CheckBox::valueChanged, this, &GlyphRow::boxChanged);
  connect(CGlyph, &CheckBox::valueChanged, this, &GlyphRow::changed);
  for (QLineEdit* field : {txtGlyph, txtGlyphGap}) {
    connect(field, &QLineEdit::textChanged, this, &GlyphRow::changed);
  }
  UpdateFieldsEnabled();
}

QList<QWidget*> GlyphRow::TabOrder() const { return {CGlyph, txtGlyph, txtGlyphGap}; }

bool GlyphRow::IsSet() const { return CGlyph->value() == 1; }

void GlyphRow::UpdateFieldsEnabled() {
  txtGlyph->setEnabled(IsSet());
  txtGlyphGap->setEnabled(IsSet());
}

}  // namespace tessary
