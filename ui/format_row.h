// FormatRow: the window's row that chooses the listing's spelling (Syntax, Label prefix and Pixel
// comments), with the Every tile box beside Pixel comments.
#pragma once

#include <QList>
#include <QObject>

#include "tiles/syntax.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace tessary {

class CheckBox;

// The controls lie on the window itself, below its original controls, so that the settings find
// them by name like the others: lblSyntax and cboSyntax (the syntaxes in table order, each item's
// data its --syntax name), lblPrefix and txtPrefix, CPixels and CEveryTile. The label prefix is
// enabled only while label lines carry numbers and the syntax has symbols.
class FormatRow : public QObject {
  Q_OBJECT

 public:
  // Places the row on `form`, which owns it; the label lines start out unnumbered.
  explicit FormatRow(QWidget* form);

  // The controls that take the focus, in tab order.
  QList<QWidget*> TabOrder() const;

  // The spelling as the row shows it: pixel comments only at the value 1, like Invert; a
  // disabled prefix is not used.
  ListingSyntax Listing() const;

  // Whether label lines carry numbers (Hex Count From not unchecked).
  void SetLabelsNumbered(bool numbered);

 signals:
  // The syntax, the prefix or Every tile changed, which the preview shows.
  void changed();

 private:
  void UpdatePrefixEnabled();

  QLabel* lblSyntax;
  QComboBox* cboSyntax;
  QLabel* lblPrefix;
  QLineEdit* txtPrefix;
  CheckBox* CPixels;
  CheckBox* CEveryTile;
  bool numbered_ = false;
};

}  // namespace tessary
