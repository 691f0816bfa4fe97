// tessary: the desktop program, one window over the conversion run.
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "ui/application.h"
#include "ui/frm_tessary.h"
#include "ui/signal_watch.h"

int main(int argc, char* argv[]) {
  // Answered before Qt starts, so it needs no display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    const bool printed = std::printf("tessary %s\n", tessary::kAppVersion) > 0;
    return printed && std::fflush(stdout) == 0 ? 0 : 1;
  }
  QApplication app(argc, argv);
  tessary::SetUpApplication();
  tessary::frmTessary form;
  tessary::SignalWatch signal_watch;
  QObject::connect(&signal_watch, &tessary::SignalWatch::arrived, &form,
                   &tessary::frmTessary::Form_Interrupt);
  form.show();
  return app.exec();
}
