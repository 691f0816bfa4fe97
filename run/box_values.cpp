#include "run/box_values.h"

namespace tessary {

BoxChoices FromBoxes(const BoxValues& boxes) {
  BoxChoices choices;
  RunOptions& o = choices.options;
  o.append = boxes.append != 0;
  o.vertical = boxes.vertical != 0;
  o.skip = boxes.skip != 0;
  o.even = boxes.even != 0;
  o.shape = boxes.box_1616 == 1 ? Shape::k16x16 : boxes.box_812 == 1 ? Shape::k8x12 : Shape::k8x8;
  choices.style = TileStyle{.labels = boxes.hex != 0, .invert = boxes.invert == 1};
  return choices;
}

}  // namespace tessary
