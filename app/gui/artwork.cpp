#include "app/gui/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace corvane {
namespace {

const QColor kBody(38, 50, 64);
const QColor kBodyEdge(18, 24, 32);
const QColor kScreenIdle(120, 190, 140);
const QColor kScreenPaging(255, 184, 60);
const QColor kWave(255, 220, 120);

// A pager seen from the front: dark body, a display and one button; while paging the
// display glows and waves leave its top corner.
// packaging/corvane.svg draws the idle pager for the desktop entry: change both together.
void DrawPager(QPainter& p, const QRectF& box, const QColor& screen, bool waves)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = box.width() / 32.0;
    QRectF body(box.left() + 2 * u, box.top() + 9 * u, 24 * u, 20 * u);
    p.setPen(QPen(kBodyEdge, 1.2 * u));
    p.setBrush(kBody);
    p.drawRoundedRect(body, 4 * u, 4 * u);
    QRectF display(body.left() + 3 * u, body.top() + 3 * u, body.width() - 6 * u, 8 * u);
    p.setPen(QPen(kBodyEdge, 0.8 * u));
    p.setBrush(screen);
    p.drawRoundedRect(display, 1.5 * u, 1.5 * u);
    p.setPen(QPen(kBodyEdge.darker(120), 1.0 * u));
    for (int line = 0; line < 2; ++line) {
        qreal y = display.top() + (2.6 + 2.8 * line) * u;
        p.drawLine(QPointF(display.left() + 1.8 * u, y), QPointF(display.right() - (line ? 6 : 2) * u, y));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 210, 220));
    p.drawEllipse(QPointF(body.center().x(), body.bottom() - 4.2 * u), 2.2 * u, 2.2 * u);
    if (waves) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kWave, 1.6 * u, Qt::SolidLine, Qt::RoundCap));
        QPointF origin(body.right() - 1 * u, body.top() - 1 * u);
        for (int i = 1; i <= 3; ++i) {
            qreal r = 2.6 * i * u;
            p.drawArc(QRectF(origin.x() - r, origin.y() - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
        }
    }
    p.restore();
}

QPixmap Canvas(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon PagerIcon(const QColor& screen, bool waves)
{
    QIcon icon;
    for (int size : {16, 22, 32, 48, 64}) {
        QPixmap pixmap = Canvas(size, size);
        QPainter p(&pixmap);
        DrawPager(p, QRectF(0, 0, size, size), screen, waves);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon SmallIcon(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap = Canvas(10, 12);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

QIcon ToolIcon(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap = Canvas(24, 22);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon ProgramIcon()
{
    return PagerIcon(kScreenIdle, false);
}

QIcon PagingIcon()
{
    return PagerIcon(kScreenPaging, true);
}

QIcon PagerRowIcon()
{
    return SmallIcon([](QPainter& p) {
        p.setPen(QPen(kBodyEdge, 1));
        p.setBrush(kBody);
        p.drawRoundedRect(QRectF(0.5, 2.5, 9, 8), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(kScreenIdle);
        p.drawRect(QRectF(2, 4, 6, 2.5));
    });
}

QIcon GroupRowIcon()
{
    return SmallIcon([](QPainter& p) {
        p.setPen(QPen(kBodyEdge, 1));
        p.setBrush(QColor(90, 110, 140));
        p.drawRoundedRect(QRectF(2.5, 0.5, 7, 6.5), 1.2, 1.2);
        p.setBrush(kBody);
        p.drawRoundedRect(QRectF(0.5, 4.5, 7, 7), 1.2, 1.2);
        p.setPen(Qt::NoPen);
        p.setBrush(kScreenIdle);
        p.drawRect(QRectF(2, 6, 4, 2));
    });
}

QIcon ScreenSaverIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 48), 1.5));
        p.setBrush(QColor(20, 28, 60));
        p.drawRoundedRect(QRectF(2, 2, 20, 14), 2, 2);
        p.drawLine(QPointF(12, 16), QPointF(12, 19));
        p.drawLine(QPointF(7, 20), QPointF(17, 20));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 230, 140));
        QPainterPath moon;
        moon.addEllipse(QPointF(10, 9), 4.5, 4.5);
        QPainterPath bite;
        bite.addEllipse(QPointF(12.5, 7.5), 4, 4);
        p.drawPath(moon.subtracted(bite));
        p.drawEllipse(QPointF(17, 5), 0.9, 0.9);
        p.drawEllipse(QPointF(16, 12), 0.7, 0.7);
    });
}

QIcon MonitoringIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(30, 60, 30), 1.5));
        p.setBrush(QColor(250, 250, 250));
        QPainterPath eye;
        eye.moveTo(2, 11);
        eye.quadTo(12, 0, 22, 11);
        eye.quadTo(12, 22, 2, 11);
        p.drawPath(eye);
        p.setBrush(QColor(40, 140, 70));
        p.drawEllipse(QPointF(12, 11), 4.5, 4.5);
        p.setBrush(QColor(10, 20, 10));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 11), 2, 2);
    });
}

QIcon PauseIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(90, 50, 0), 1));
        p.setBrush(QColor(235, 160, 40));
        p.drawRoundedRect(QRectF(6, 3, 4.5, 16), 1, 1);
        p.drawRoundedRect(QRectF(13.5, 3, 4.5, 16), 1, 1);
    });
}

QIcon MonitorPimIcon()
{
    // A calendar page with its two rings.
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 5, 16, 14));
        p.setBrush(QColor(200, 40, 40));
        p.drawRect(QRectF(4, 5, 16, 4));
        p.setPen(QPen(QColor(40, 40, 60), 1.5));
        p.drawLine(QPointF(8, 3), QPointF(8, 7));
        p.drawLine(QPointF(16, 3), QPointF(16, 7));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 40, 60));
        for (int row = 0; row < 2; ++row)
            for (int col = 0; col < 4; ++col) p.drawRect(QRectF(6 + col * 3.5, 11 + row * 3.5, 2, 2));
    });
}

// A telephone handset with a ring beside it: the call monitor.
QIcon PhoneIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(20, 30, 20), 1.2));
        p.setBrush(QColor(50, 120, 70));
        QPainterPath handset;
        handset.moveTo(4, 6);
        handset.quadTo(4, 18, 16, 19);
        handset.lineTo(18, 15.5);
        handset.lineTo(14.5, 13);
        handset.lineTo(12.5, 15);
        handset.quadTo(8.5, 13, 8, 9.5);
        handset.lineTo(10, 7.5);
        handset.lineTo(7.5, 4);
        handset.closeSubpath();
        p.drawPath(handset);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 200, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
        for (int i = 1; i <= 2; ++i) {
            const qreal r = 3.0 * i;
            p.drawArc(QRectF(15 - r, 8 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
        }
    });
}

// A sheet of the pager list with an arrow leaving it: Export Pager Data.
QIcon ExportIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3, 2, 12, 17));
        p.setPen(QPen(QColor(120, 130, 150), 1));
        for (int line = 0; line < 4; ++line) p.drawLine(QPointF(5.5, 6 + 3 * line), QPointF(12.5, 6 + 3 * line));
        p.setPen(QPen(QColor(30, 110, 60), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(11, 13), QPointF(21, 13));
        p.drawLine(QPointF(17.5, 9.5), QPointF(21, 13));
        p.drawLine(QPointF(17.5, 16.5), QPointF(21, 13));
    });
}

// An envelope: Monitor EMail.
QIcon MailIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(50, 50, 70), 1.2));
        p.setBrush(QColor(250, 246, 230));
        p.drawRect(QRectF(2.5, 5, 19, 13));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(2.5, 5), QPointF(12, 12.5));
        p.drawLine(QPointF(21.5, 5), QPointF(12, 12.5));
    });
}

// A question mark in a blue circle: Help Contents.
QIcon HelpIcon()
{
    return ToolIcon([](QPainter& p) {
        p.setPen(QPen(QColor(20, 50, 120), 1));
        p.setBrush(QColor(60, 110, 200));
        p.drawEllipse(QPointF(12, 11), 9, 9);
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(14);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 2, 18, 18), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QPixmap SplashArt(const QString& title, const QString& version)
{
    QPixmap pixmap(kSplashWidth, kSplashHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, kSplashWidth, kSplashHeight);
    sky.setColorAt(0.0, QColor(16, 32, 64));
    sky.setColorAt(0.6, QColor(20, 78, 104));
    sky.setColorAt(1.0, QColor(28, 120, 120));
    p.fillRect(pixmap.rect(), sky);

    // Rings spreading from the pager: a page on its way.
    QPointF source(120, 150);
    for (int i = 6; i >= 1; --i) {
        p.setPen(QPen(QColor(255, 220, 120, 18 + 10 * (6 - i)), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(source, 34.0 * i, 34.0 * i);
    }
    DrawPager(p, QRectF(40, 60, 160, 160), kScreenPaging, true);

    p.setPen(QColor(245, 245, 240));
    QFont big = p.font();
    big.setPixelSize(48);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRectF(210, 80, 230, 60), Qt::AlignLeft | Qt::AlignVCenter, title);

    QFont small = p.font();
    small.setPixelSize(16);
    small.setBold(false);
    p.setFont(small);
    p.setPen(QColor(200, 225, 230));
    p.drawText(QRectF(212, 140, 230, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Paging terminal"));
    p.drawText(QRectF(212, 164, 230, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TAP - numeric - SNPP"));

    QFont tiny = p.font();
    tiny.setPixelSize(12);
    p.setFont(tiny);
    p.setPen(QColor(170, 200, 205));
    p.drawText(QRectF(212, 250, 226, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tarnwick"));
    p.drawText(QRectF(212, 250, 226, 20), Qt::AlignRight | Qt::AlignVCenter, version);

    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kSplashWidth - 1, kSplashHeight - 1));
    p.end();
    return pixmap;
}

}  // namespace corvane
