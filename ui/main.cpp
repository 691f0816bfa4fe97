// tessary: the desktop program, one window over the conversion run.
#include <QApplication>

#include "ui/application.h"
#include "ui/frm_tessary.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  tessary::SetUpApplication();
  tessary::frmTessary form;
  form.show();
  return app.exec();
}
