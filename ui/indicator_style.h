// The style of the window's check boxes: the application's own, with a smaller box if need be.
#pragma once

class QStyle;

namespace tessary {

// The window's shortest check boxes are 13 pixels high; some styles draw a larger box, whose
// edge would be cut off. This style is the application's style with the box at most that size.
// It lives as long as the application.
QStyle* CheckBoxStyle();

inline constexpr int kMaxIndicatorSize = 13;

}  // namespace tessary
