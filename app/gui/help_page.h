#pragma once
// The program's help: one HTML page installed with the program (share/corvane/help/
// index.html beside the program's bin/ folder; the build tree has the same layout), shown
// by the desktop's web browser at the section each Help command names.

#include <QString>
#include <QUrl>

namespace corvane {

enum class HelpTopic { Contents, Search, UsingHelp, Support };

// The installed page, or an empty text when it is not there.
QString FindHelpPage();
// The page at the topic's section.
QUrl HelpUrl(const QString& page, HelpTopic topic);

}  // namespace corvane
