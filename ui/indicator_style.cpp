#include "ui/indicator_style.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <algorithm>

namespace tessary {
namespace {

class SmallIndicatorStyle : public QProxyStyle {
 public:
  // A fresh instance of the application's style, so that the application keeps its own.
  SmallIndicatorStyle() : QProxyStyle(QApplication::style()->name()) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    const int size = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) {
      return std::min(size, kMaxIndicatorSize);
    }
    return size;
  }
};

}  // namespace

QStyle* CheckBoxStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new SmallIndicatorStyle;
    style->setParent(qApp);
  }
  return style;
}

}  // namespace tessary
