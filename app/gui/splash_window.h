#pragma once
// The start-up picture: a borderless 450 x 300 window centred on the screen that goes
// away by itself after five seconds (or at a click). The program goes on starting
// meanwhile: the event loop runs, nothing waits for it.

#include <QSplashScreen>

namespace corvane {

class CSplashWnd final : public QSplashScreen {
    Q_OBJECT
public:
    explicit CSplashWnd(const QString& title);
    // Shows the window and closes (and deletes) it after ms milliseconds.
    void ShowFor(int ms);

    static constexpr int kShowMs = 5000;
};

}  // namespace corvane
