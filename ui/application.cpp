#include "ui/application.h"

#include <QApplication>
#include <QGuiApplication>

namespace tessary {

QIcon AppIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/tessary-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/tessary-32.png"), QSize(32, 32));
  return icon;
}

void SetUpApplication() {
  QCoreApplication::setOrganizationName(QStringLiteral("Tessary"));
  QCoreApplication::setApplicationName(QStringLiteral("Tessary"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
  QGuiApplication::setDesktopFileName(QStringLiteral("tessary"));
  QApplication::setWindowIcon(AppIcon());
}

}  // namespace tessary
