#pragma once
// Paints a printout table on a printer: measures the texts in the printer's fonts, lets
// the shared page layout place them, and draws each page.

#include <ctime>
#include <functional>

#include "app/core/print_layout.h"

class QPrinter;

namespace corvane {

// Told how far the printout has got while it is made (done of about total steps); false
// stops it.
using PrintProgress = std::function<bool(int done, int total)>;

enum class PrintResult { Printed, Cancelled, Failed };

// Failed when the printer could not be started or finished (nothing printed).
PrintResult PrintTableOn(QPrinter& printer, const PrintTable& table, std::time_t now,
                         const PrintProgress& progress = {});

}  // namespace corvane
