#include "ui/window_options.h"

#include <QFile>
#include <QLineEdit>
#include <QWidget>
#include <utility>

#include "ui/check_box.h"
#include "ui/format_row.h"

namespace tessary {
namespace {

// The boxes by name, and the value each gives.
const std::pair<const char*, int BoxValues::*> kBoxes[] = {
    {"CVert", &BoxValues::vertical},   {"CAppend", &BoxValues::append},
    {"CSkip", &BoxValues::skip},       {"CEven", &BoxValues::even},
    {"CInvert", &BoxValues::invert},   {"C1616", &BoxValues::box_1616},
    {"C812Mask", &BoxValues::box_812}, {"CHex", &BoxValues::hex},
};

template <typename Control>
const Control& Named(const QWidget& form, const char* name) {
  return *form.findChild<const Control*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

std::string Text(const QWidget& form, const char* name) {
  return Named<QLineEdit>(form, name).text().toStdString();
}

std::string Path(const QWidget& form, const char* name) {
  return QFile::encodeName(Named<QLineEdit>(form, name).text()).toStdString();
}

}  // namespace

BoxValues BoxesOf(const QWidget& form) {
  BoxValues values;
  for (const auto& [name, value] : kBoxes) values.*value = Named<CheckBox>(form, name).value();
  return values;
}

RunOptions OptionsOf(const QWidget& form) {
  RunOptions options = FromBoxes(BoxesOf(form)).options;
  options.input_path = Path(form, "txt1");
  options.output_path = Path(form, "txt2");
  options.tile_number_text = Text(form, "txtHex");
  options.start_text = Text(form, "txtStart");
  options.end_text = Text(form, "txtEnd");
  options.listing =
      form.findChild<const FormatRow*>(QString(), Qt::FindDirectChildrenOnly)->Listing();
  return options;
}

}  // namespace tessary
