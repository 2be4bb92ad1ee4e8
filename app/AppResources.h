#pragma once
// What the application bundle provides besides its resource directory: named images and the
// information dictionary, compiled into the program.

#include "foundation/PlistValue.h"

#include <QPixmap>
#include <QString>

namespace veltrona {

// NSImage imageNamed: "red" and "green" are the status lights; an unknown name gives a null image.
QPixmap imageNamed(const QString& name);

// The Info dictionary (CFBundleIdentifier, CFBundleShortVersionString, ...).
const PlistDictionary& infoDictionary();
// A text value of the Info dictionary; "" when missing.
QString infoString(const char* key);

} // namespace veltrona
