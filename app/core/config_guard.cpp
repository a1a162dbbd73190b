#include "app/core/config_guard.h"

#include "app/core/monitoring_control.h"
#include "common/message_box.h"

namespace corvane {

ConfigRefusal RefusalFor(ConfigArea area)
{
    switch (area) {
    case ConfigArea::Modems:
        return {"You cannot configure modems while Corvane is monitoring.", "Configure Modem Error"};
    case ConfigArea::Pagers:
        return {"You cannot configure pagers while Corvane is monitoring.", "Configure Pager Error"};
    case ConfigArea::Services:
        return {"You cannot configure service providers while Corvane is monitoring.", "Configure Services Error"};
    case ConfigArea::Preferences:
        break;
    }
    return {"You cannot configure preferences while Corvane is monitoring.", "Configure Preferences Error"};
}

bool RefuseWhileMonitoring(ConfigArea area, const CMonitoringControl& monitoring, IMessageBox& messageBox)
{
    if (!monitoring.ManualMonitoring()) return false;
    ConfigRefusal refusal = RefusalFor(area);
    messageBox.Show(refusal.text, refusal.caption, MbIcon::Warning, MbButtons::Ok);
    return true;
}

}  // namespace corvane
