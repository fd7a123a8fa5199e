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

// Start screen: heading, note line, seven main-menu buttons with their explanations, exit.
inline constexpr int kStartScreenTemplate = 365;
inline constexpr int kStartHeadingId = 6020;
inline constexpr int kStartNoteId = 1663;
inline constexpr int kMainMenuButtonIds[7] = {2014, 2015, 2016, 2019, 2020, 2017, 2018};
inline constexpr int kMainMenuTextBase = 1560;   // + entry 1..7
inline constexpr int kMainMenuFrameBase = 3500;  // + entry 1..7
// With several USB printers: which one the service dialogs work on.
inline constexpr int kStartPrinterLabelId = 6021;
inline constexpr int kStartPrinterListId = 6022;

// Manuals dialog: two radio buttons choose the manual, OK opens it, FINISH closes.
inline constexpr int kManualsTemplate = 349;
inline constexpr int kManualsSetId = 1270;
inline constexpr int kManualsResetId = 1271;
inline constexpr int kManualsLabelId = 1568;

// Main service dialog: the menu tree on the left, the selected item's title, explanation and page
// on the right, its action buttons below.
inline constexpr int kMainDialogTemplate = 360;
inline constexpr int kMenuTreeId = 6000;
inline constexpr int kPagePlaceholderId = 6002;
inline constexpr int kItemTitleId = 6003;
inline constexpr int kItemExplanationId = 6012;
inline constexpr int kExecuteButtonId = 2020;
inline constexpr int kCheckButtonId = 2021;
inline constexpr int kInputButtonId = 2022;
inline constexpr int kOptionButtonId = 2027;
inline constexpr int kPictureButtonId = 2023;
inline constexpr int kNextButtonId = 2025;
inline constexpr int kPrinterStatusButtonId = 2026;
inline constexpr int kStatusLineId = 6004;
// Bitmap resources of the guided tree: a plain step, a step to do and a finished step.
inline constexpr int kTreeBitmaps[3] = {212, 214, 213};

}  // namespace ui
