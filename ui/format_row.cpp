#include "ui/format_row.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "ui/check_box.h"
#include "ui/placement.h"

namespace tessary {

FormatRow::FormatRow(QWidget* form) : QObject(form) {
  lblSyntax = Placed(new QLabel(tr("S&yntax:"), form), "lblSyntax", Twips(120, 3000, 0, 0));
  cboSyntax = Placed(new QComboBox(form), "cboSyntax", Twips(120, 3240, 1770, 330));
  for (const SyntaxProfile& profile : kSyntaxProfiles) {
    cboSyntax->addItem(QString::fromLatin1(profile.title), QString::fromLatin1(profile.name));
  }
  lblPrefix = Placed(new QLabel(tr("&Label prefix:"), form), "lblPrefix", Twips(1920, 3000, 0, 0));
  txtPrefix = NewField(form, "txtPrefix", Twips(1920, 3240, 1335, 285));
  CPixels = NewBox(form, "CPixels", "&Pixel comments", Twips(120, 3660, 1695, 255), 0);
  CEveryTile = NewBox(form, "CEveryTile", "Every tile", Twips(1920, 3660, 1455, 255), 0);
  // A label shows its "&" as an access key only once it has a buddy.
  lblSyntax->setBuddy(cboSyntax);
  lblPrefix->setBuddy(txtPrefix);

  connect(cboSyntax, &QComboBox::currentIndexChanged, this, &FormatRow::UpdatePrefixEnabled);
  connect(cboSyntax, &QComboBox::currentIndexChanged, this, &FormatRow::changed);
  connect(txtPrefix, &QLineEdit::textChanged, this, &FormatRow::changed);
  connect(CEveryTile, &CheckBox::valueChanged, this, &FormatRow::changed);
  UpdatePrefixEnabled();
}

QList<QWidget*> FormatRow::TabOrder() const { return {cboSyntax, txtPrefix, CPixels, CEveryTile}; }

ListingSyntax FormatRow::Listing() const {
  ListingSyntax listing;
  listing.syntax = kSyntaxProfiles[std::max(0, cboSyntax->currentIndex())].syntax;
  listing.pixels = CPixels->value() == 1;
  if (txtPrefix->isEnabled()) listing.label_prefix = txtPrefix->text().toStdString();
  return listing;
}

void FormatRow::SetLabelsNumbered(bool numbered) {
  numbered_ = numbered;
  UpdatePrefixEnabled();
}

void FormatRow::UpdatePrefixEnabled() {
  const int index = std::max(0, cboSyntax->currentIndex());
  txtPrefix->setEnabled(numbered_ && kSyntaxProfiles[index].symbol_tail != nullptr);
}

}  // namespace tessary
