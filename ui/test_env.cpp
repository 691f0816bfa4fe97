#include "ui/test_env.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "ui/application.h"
#include "ui/check_box.h"

namespace tessary::testing {
namespace {

QString& Folder() {
  static QString folder;
  return folder;
}

}  // namespace

int RunWindowTests(QObject* test, int argc, char** argv) {
  QTemporaryDir folder;
  if (!folder.isValid()) {
    std::fprintf(stderr, "cannot make a temporary settings folder\n");
    return 1;
  }
  Folder() = folder.path();
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());

  QApplication app(argc, argv);
  SetUpApplication();
  const QString store = QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")).fileName();
  if (store != SettingsFile()) {
    std::fprintf(stderr, "the settings would go to %s, not into %s; not running\n",
                 qPrintable(store), qPrintable(folder.path()));
    return 1;
  }
  return QTest::qExec(test, argc, argv);
}

QString SettingsFolder() { return Folder(); }

QString SettingsFile() { return Folder() + QStringLiteral("/Tessary/Tessary.conf"); }

void ClearSettings() {
  QDir(Folder() + QStringLiteral("/Tessary")).removeRecursively();
  QFile::remove(Folder() + QStringLiteral("/Tessary"));
}

MessageBoxWatch::MessageBoxWatch(std::function<void()> while_open, int patience_ms)
    : while_open_(std::move(while_open)), patience_ms_(patience_ms) {
  QObject::connect(&poll_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) {
      seen_ = nullptr;
      return;
    }
    if (box != seen_) {
      seen_ = box;
      open_for_.start();
      texts_ << box->text();
      if (while_open_) while_open_();
    }
    if (open_for_.elapsed() >= patience_ms_) {
      ++clicks_;
      seen_ = nullptr;
      box->done(QMessageBox::Ok);
    }
  });
  poll_.start(5);
}

std::string PatternBytes(size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  return bytes;
}

void Fill(QWidget& form, const QStringList& texts, const QString& boxes) {
  const char* fields[] = {"txt1", "txt2", "txtStart", "txtEnd", "txtHex"};
  const char* names[] = {"CVert",   "CAppend", "CSkip",    "CEven",
                         "CInvert", "C1616",   "C812Mask", "CHex"};
  for (int i = 0; i < 5; ++i) form.findChild<QLineEdit*>(fields[i])->setText(texts[i]);
  for (int i = 0; i < 8; ++i) form.findChild<CheckBox*>(names[i])->setValue(boxes[i].digitValue());
}

void ClickGo(QWidget& form) { form.findChild<QPushButton*>("cmdGo")->click(); }

QString Status(QWidget& form) { return form.findChild<QLabel*>("lblStatus")->text(); }

MemWindow::MemWindow(size_t size, const QString& boxes) {
  files.files = {{"in", PatternBytes(size)}, {"out", "; kept\r\n"}};
  form.SetYieldInterval(std::chrono::nanoseconds(0));
  form.show();  // loads the settings, which Fill() then replaces
  Fill(form, {"in", "out", "0", QString::number(size), "$00"}, boxes);
  QObject::connect(&pause, &QTimer::timeout, [this] { ++pauses; });
}

void MemWindow::Go() {
  pauses = 0;
  pause.start(0);
  ClickGo(form);
  pause.stop();
}

}  // namespace tessary::testing
