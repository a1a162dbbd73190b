#pragma once
// For the start-up measurement only: when CORVANE_STARTUP_PROBE is set, the wall time
// of the first paint of the pager list (nanoseconds since 1970) goes to standard error
// as "corvane: first paint <ns>".

class QWidget;

namespace corvane {

void InstallStartupProbe(QWidget* painted);

}  // namespace corvane
