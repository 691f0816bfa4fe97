// The window benchmarks' surroundings: a settings store of their own and, unless asked for
// another, no display.
#pragma once

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace tessary {

// Points the settings store at `dir`, so that the window sees none of the user's own settings,
// and picks the offscreen platform unless QT_QPA_PLATFORM names one. Call before QApplication.
inline void UseScratchSettings(const QTemporaryDir& dir) {
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace tessary
