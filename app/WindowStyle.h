#pragma once
// The few looks the .ui forms ask for by a label's property role: "sheetTitle" (a sheet's
// heading), "sheetMessage" (a sheet's failure message) and "hint" (small explanatory text).

class QWidget;

namespace veltrona {

void applyWindowStyle(QWidget* root);

} // namespace veltrona
