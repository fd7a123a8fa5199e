#include "gui/focus_frame.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFocusFrame>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

namespace gui {
namespace {

// The application's style, with the focus frame drawn as a plain band of kFocusFrameColour.
class FocusFrameStyle : public QProxyStyle {
public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin) return kFocusFrameWidth;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    if (element != CE_FocusFrame) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    const QRect r = option->rect;
    const int w = kFocusFrameWidth;
    painter->fillRect(r.left(), r.top(), r.width(), w, kFocusFrameColour);
    painter->fillRect(r.left(), r.bottom() - w + 1, r.width(), w, kFocusFrameColour);
    painter->fillRect(r.left(), r.top(), w, r.height(), kFocusFrameColour);
    painter->fillRect(r.right() - w + 1, r.top(), w, r.height(), kFocusFrameColour);
  }
};

// The line edit inside a spin box or an editable list holds the focus; the frame goes around
// the control the technician sees.
QWidget* FramedControl(QWidget* focused) {
  QWidget* parent = focused->parentWidget();
  if (qobject_cast<QAbstractSpinBox*>(parent) != nullptr ||
      qobject_cast<QComboBox*>(parent) != nullptr)
    return parent;
  return focused;
}

// One frame that moves with the focus. It lives among the focused control's siblings, so it
// goes with a closed window and is made anew for the next one.
class FocusFollower : public QObject {
public:
  explicit FocusFollower(QApplication& application) : QObject(&application) {
    connect(&application, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { Follow(now); });
  }

private:
  void Follow(QWidget* focused) {
    if (focused == nullptr || focused->isWindow()) {
      if (frame_) frame_->setWidget(nullptr);
      return;
    }
    QWidget* control = FramedControl(focused);
    if (!frame_) frame_ = new QFocusFrame(control->parentWidget());
    frame_->setWidget(control);
    frame_->show();
  }

  QPointer<QFocusFrame> frame_;
};

}  // namespace

void ShowKeyboardFocus(QApplication& application) {
  QApplication::setStyle(new FocusFrameStyle);
  new FocusFollower(application);
}

}  // namespace gui
