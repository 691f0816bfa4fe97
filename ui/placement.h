// Placing the window's controls as its layout has them: positions in twips, names and boxes.
#pragma once

#include <QRect>
#include <QString>
#include <Qt>

class QLineEdit;
class QWidget;

namespace tessary {

class CheckBox;

// The window's frame: a title bar with the system menu, minimize and close buttons only.
inline constexpr Qt::WindowFlags kWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

// The layout is drawn in twips; a pixel is 15 of them.
QRect Twips(int left, int top, int width, int height);

// Names `widget` (its object name, by which the settings and tests find it) and places it.
template <typename Widget>
Widget* Placed(Widget* widget, const char* name, const QRect& geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

// A text field on `form`, named and placed, that holds a text of any length.
QLineEdit* NewField(QWidget* form, const char* name, const QRect& geometry);

// A check box on `form` in the window's check box style, named and placed, at `value`.
CheckBox* NewBox(QWidget* form, const char* name, const char* caption, const QRect& geometry,
                 int value);

}  // namespace tessary
