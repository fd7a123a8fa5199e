#pragma once
// Template and control ids of the shared windows.

namespace ui {

// Message dialog: one sunken static text above OK and CANCEL.
inline constexpr int kMessageDialogTemplate = 312;
inline constexpr int kMessageTextId = 1094;

// Temperature entry: label and one edit bound to a real number.
inline constexpr int kTemperatureTemplate = 345;
inline constexpr int kTemperatureLabelId = 1095;
inline constexpr int kTemperatureEditId = 4001;

// Picture window: the picture fills the client area.
inline constexpr int kPictureTemplate = 363;
inline constexpr int kPictureAreaId = 1096;

// Wait dialog: one line of text while the printer works.
inline constexpr int kWaitTemplate = 367;
inline constexpr int kWaitTextId = 1097;

// Progress dialog: a text above a bar.
inline constexpr int kProgressTemplate = 368;
inline constexpr int kProgressTextId = 1568;
inline constexpr int kProgressBarId = 4501;

}  // namespace ui
