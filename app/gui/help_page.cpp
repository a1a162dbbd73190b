#include "app/gui/help_page.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace corvane {

QString FindHelpPage()
{
    const QFileInfo page(QCoreApplication::applicationDirPath() + "/../share/corvane/help/index.html");
    return page.isFile() ? page.canonicalFilePath() : QString();
}

QUrl HelpUrl(const QString& page, HelpTopic topic)
{
    QUrl url = QUrl::fromLocalFile(page);
    switch (topic) {
    case HelpTopic::Contents: url.setFragment("contents"); break;
    case HelpTopic::Search: url.setFragment("index"); break;
    case HelpTopic::UsingHelp: url.setFragment("using-help"); break;
    case HelpTopic::Support: url.setFragment("support"); break;
    }
    return url;
}

}  // namespace corvane
