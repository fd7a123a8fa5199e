#pragma once
// The keyboard focus, drawn so that it is seen: a strong frame around whichever control has the
// focus, in every window of the program and in the pictures drawn of them. The platform's own
// cue (a faint tint, or nothing at all in an inactive or offscreen window) is too weak for a
// technician who works with the keyboard alone.

#include <QColor>

class QApplication;

namespace gui {

// The frame's colour and width in pixels, outside the control's own rectangle.
inline const QColor kFocusFrameColour{0, 84, 166};
inline constexpr int kFocusFrameWidth = 2;

// Installs the frame for the whole application; call once, after the QApplication is made.
void ShowKeyboardFocus(QApplication& application);

}  // namespace gui
