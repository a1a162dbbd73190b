#pragma once
// Paints a printout table on a printer: measures the texts in the printer's fonts, lets
// the shared page layout place them, and draws each page.

#include <ctime>

#include "app/core/print_layout.h"

class QPrinter;

namespace corvane {

// False when the printer could not be started (nothing printed).
bool PrintTableOn(QPrinter& printer, const PrintTable& table, std::time_t now);

}  // namespace corvane
