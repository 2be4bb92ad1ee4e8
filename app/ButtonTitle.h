#pragma once
// A button's title as the program set it. Platform themes that add keyboard accelerators (KDE's)
// put "&" marks into a button's text; what the program compares must not see them.

#include <QString>

namespace veltrona {

// The text with its accelerator marks taken out: "&x" is "x" and "&&" a literal "&"; a lone "&"
// at the end goes.
QString titleWithoutAccelerators(const QString& text);

} // namespace veltrona
