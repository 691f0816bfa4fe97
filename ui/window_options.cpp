#include "ui/window_options.h"

#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>
#include <utility>

#include "notation/val2.h"
#include "notation/whole_number.h"
#include "run/quoted.h"
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

// The glyph shape and gap that the Glyph fields give, or why they give none.
std::optional<GlyphShape> GlyphOf(const QWidget& form, std::string* problem) {
  const std::string size = Text(form, "txtGlyph");
  std::optional<GlyphShape> glyph = GlyphNamed(size);
  if (!glyph) {
    *problem = "Glyph " + Quoted(size) +
               " is no glyph shape; write WxH, W 8, 16, 24 or 32 and H 1 to 64 (8x16, 24x21)";
    return std::nullopt;
  }
  const std::string gap = Text(form, "txtGlyphGap");
  const std::optional<std::string> hint = WholeNumberProblem(gap);
  const std::optional<int32_t> value = Val2(gap);
  if (hint || !value || *value < 0 || *value > kMaxGlyphGap) {
    *problem = "Glyph gap " + Quoted(gap) + " is no whole number from 0 to " +
               std::to_string(kMaxGlyphGap) + (hint ? "; it " + *hint : "");
    return std::nullopt;
  }
  glyph->gap = *value;
  return glyph;
}

}  // namespace

BoxValues BoxesOf(const QWidget& form) {
  BoxValues values;
  for (const auto& [name, value] : kBoxes) values.*value = Named<CheckBox>(form, name).value();
  return values;
}

RunOptions OptionsOf(const QWidget& form, QString* problem) {
  RunOptions options = FromBoxes(BoxesOf(form)).options;
  options.input_path = Path(form, "txt1");
  options.output_path = Path(form, "txt2");
  options.tile_number_text = Text(form, "txtHex");
  options.start_text = Text(form, "txtStart");
  options.end_text = Text(form, "txtEnd");
  options.listing =
      form.findChild<const FormatRow*>(QString(), Qt::FindDirectChildrenOnly)->Listing();
  options.every_tile = Named<CheckBox>(form, "CEveryTile").value() == 1;
  options.every_tile_name = "\"Every tile\"";
  std::string glyph_problem;
  if (Named<CheckBox>(form, "CGlyph").value() == 1) options.glyph = GlyphOf(form, &glyph_problem);
  *problem = QString::fromStdString(glyph_problem);
  options.threshold = Named<QSpinBox>(form, "spnThreshold").value();
  const CheckBox& unique = Named<CheckBox>(form, "CUnique");
  options.unique = unique.isEnabled() && unique.value() == 1;
  options.map = !MapPathOf(form).empty();
  return options;
}

std::string MapPathOf(const QWidget& form) {
  return Named<QLineEdit>(form, "txtMap").isEnabled() ? Path(form, "txtMap") : std::string();
}

bool RowWalkOf(const QWidget& form) {
  const RunOptions boxes = FromBoxes(BoxesOf(form)).options;
  return boxes.shape == Shape::k8x8 && !boxes.vertical && !boxes.skip &&
         Named<CheckBox>(form, "CGlyph").value() != 1;
}

}  // namespace tessary
