#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QStringList>

namespace tessary {

void ConfigureOpenDialog(QFileDialog& dialog) {
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // The dialog reads a filter's patterns from its last parentheses and, with the details
  // hidden, shows only what comes before them.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilters({
      QStringLiteral("Binary Files (*.bin, *.chr, *.gr*) (*.bin *.chr *.nes *.gr*)"),
      QStringLiteral("PNG Pictures (*.png) (*.png)"),
      QStringLiteral("All Files (*.*) (*)"),
  });
  dialog.selectNameFilter(dialog.nameFilters().constFirst());
  dialog.setDefaultSuffix(QStringLiteral("chr"));
}

std::optional<QString> OpenFileDialog::ShowOpen(QWidget* parent) {
  QFileDialog dialog(parent);
  ConfigureOpenDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.constFirst();
}

}  // namespace tessary
