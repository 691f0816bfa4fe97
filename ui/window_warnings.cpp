#include "ui/window_warnings.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <utility>

namespace tessary {
namespace {

void Print(const QString& text) {
  std::fprintf(stderr, "tessary: %s\n", text.toLocal8Bit().constData());
}

}  // namespace

void WindowWarnings::Show(const QString& text) {
  if (interrupted_) {
    Print(text);
  } else {
    QMessageBox::warning(window_, QStringLiteral("Tessary"), text);
  }
}

void WindowWarnings::ShowSoon(const QString& text) {
  soon_ = text;
  QMetaObject::invokeMethod(
      window_,
      [this] {
        if (!soon_.isEmpty()) Show(std::exchange(soon_, QString()));
      },
      Qt::QueuedConnection);
}

void WindowWarnings::Interrupt() {
  interrupted_ = true;
  if (!soon_.isEmpty()) Print(std::exchange(soon_, QString()));
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (const auto* box = qobject_cast<QMessageBox*>(modal)) Print(box->text());
    modal->close();
  }
}

}  // namespace tessary
