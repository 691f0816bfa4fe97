// CellsRow: the window's row for pictures and tile sets (Threshold, Unique tiles and Map file).
#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

namespace tessary {

class CheckBox;

// The controls lie on the window itself, below the glyph row, so that the settings find them by
// name like the others: lblThreshold and spnThreshold (0 to 255; 0 means a picture may have two
// colours only), the box CUnique ("Unique tiles"), lblMap and txtMap (the map file; empty means
// no map). Unique tiles and Map file take every cell of the range by the 8x8 row walk, so they are
// disabled, their values kept, while the tile boxes or Glyph ask for another walk or shape.
class CellsRow : public QObject {
  Q_OBJECT

 public:
  // Places the row on `form`, which owns it and already holds the tile boxes and the glyph row,
  // whose changes the row follows.
  explicit CellsRow(QWidget* form);

  // The controls that take the focus, in tab order.
  QList<QWidget*> TabOrder() const;

  // The browse button chose `input`: a Map file that names a file follows it as `input` with
  // ".map" (see MapNameFor); an empty one, which asks for no map, stays empty.
  void FollowInput(const QString& input);

 signals:
  // Any control of the row changed, which the preview shows.
  void changed();

 private:
  // Enables Unique tiles and Map file while the form's boxes give the 8x8 row walk.
  void UpdateEnabled();

  QWidget* form_;
  QLabel* lblThreshold;
  QSpinBox* spnThreshold;
  CheckBox* CUnique;
  QLabel* lblMap;
  QLineEdit* txtMap;
};

}  // namespace tessary
