#pragma once
// The program's own artwork, drawn at run time: the window and tray icons (the normal
// one and the one shown while a page is sent), the list's row icons, the toolbar
// icons and the splash picture.

#include <QIcon>
#include <QPixmap>

namespace corvane {

QIcon ProgramIcon();
QIcon PagingIcon();
QIcon PagerRowIcon();
QIcon GroupRowIcon();
QIcon ScreenSaverIcon();
QIcon MonitoringIcon();
QIcon PauseIcon();
QIcon MonitorPimIcon();
QIcon PhoneIcon();
QIcon ExportIcon();
QIcon MailIcon();
QIcon HelpIcon();

inline constexpr int kSplashWidth = 450;
inline constexpr int kSplashHeight = 300;
QPixmap SplashArt(const QString& title, const QString& version);

}  // namespace corvane
