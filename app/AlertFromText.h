#pragma once
// An alert made from the texts the UI-free layers compose, so every action shows them the same way.

#include "app/Alert.h"
#include "services/AlertText.h"

namespace veltrona {

Alert alertFromText(Interaction& interaction, const AlertText& text);

} // namespace veltrona
