// FileDialog: the modal file-open dialog behind the browse button, replaceable in tests.
#pragma once

#include <QString>
#include <optional>

class QFileDialog;
class QWidget;

namespace tessary {

class FileDialog {
 public:
  virtual ~FileDialog() = default;

  // Shows the dialog over `parent` and waits for the user: the chosen file's full path, or
  // nothing when the dialog was cancelled.
  virtual std::optional<QString> ShowOpen(QWidget* parent) = 0;
};

// The real dialog, set up by ConfigureOpenDialog().
class OpenFileDialog : public FileDialog {
 public:
  std::optional<QString> ShowOpen(QWidget* parent) override;
};

// Picks one existing file; offers the graphics files first, then PNG pictures, then all files; a
// typed name without an extension gets ".chr".
void ConfigureOpenDialog(QFileDialog& dialog);

}  // namespace tessary
