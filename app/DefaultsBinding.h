#pragma once
// Check boxes bound to user defaults, as the shared user-defaults controller binds them: a box
// whose property defaultsKey names a default shows it and stores "1" or "0" when clicked; a box
// whose property enabledByDefaultsKey names a default is usable only while that default is not 0.

class QWidget;

namespace veltrona {

class UserDefaults;

// Binds every such check box inside the widget. The defaults must outlive the boxes.
void bindCheckBoxesToDefaults(QWidget* root, UserDefaults& defaults);

} // namespace veltrona
