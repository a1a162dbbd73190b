#include "app/gui/splash_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/gui/artwork.h"

namespace corvane {

CSplashWnd::CSplashWnd(const QString& title)
    : QSplashScreen(SplashArt(title, QStringLiteral("Version %1").arg(QStringLiteral(CORVANE_VERSION))))
{
    setObjectName("splash");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kSplashWidth, kSplashHeight);
}

void CSplashWnd::ShowFor(int ms)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect where(QPoint(0, 0), size());
        where.moveCenter(screen->geometry().center());
        move(where.topLeft());
    }
    show();
    QTimer::singleShot(ms, this, &QWidget::close);
}

}  // namespace corvane
