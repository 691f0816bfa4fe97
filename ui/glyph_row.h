// GlyphRow: the window's row that lists glyphs of a shape of its own instead of tiles (Glyph, its
// size and the gap after each glyph).
#pragma once

#include <QList>
#include <QObject>

class QLabel;
class QLineEdit;
class QWidget;

namespace tessary {

class CheckBox;

// The controls lie on the window itself, below the format row, so that the settings find them by
// name like the others: the box CGlyph, the fields txtGlyph ("8x16") and txtGlyphGap ("0") and the
// label lblGlyphGap. The fields are enabled only while the box is set (at the value 1).
class GlyphRow : public QObject {
  Q_OBJECT

 public:
  // Places the row on `form`, which owns it; the box starts out unset.
  explicit GlyphRow(QWidget* form);

  // The controls that take the focus, in tab order.
  QList<QWidget*> TabOrder() const;

  // Whether glyphs are listed: the box at the value 1.
  bool IsSet() const;

 signals:
  // Any control of the row changed, which the preview shows.
  void changed();
  // The box changed, which decides what the tile boxes may choose.
  void boxChanged();

 private:
  void UpdateFieldsEnabled();

  CheckBox* CGlyph;
  QLineEdit* txtGlyph;
  QLabel* lblGlyphGap;
  QLineEdit* txtGlyphGap;
};

}  // namespace tessary
