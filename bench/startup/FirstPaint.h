// Start-up benchmarks: the moment a program's window is first painted whole, on the wall
// clock, so that the runner can count from the moment it started the process.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// Prints "painted <unix seconds>" once the first paint has finished and ends the process
// there: what follows is not start-up. The first paint event goes to the window before its
// controls draw their texts, so the moment is taken on the next turn of the event loop, after
// the whole window has been painted and flushed.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !m_seen) {
            m_seen = true;
            QMetaObject::invokeMethod(this, &FirstPaint::Done, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void Done() {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        std::printf("painted %lld.%09ld\n", static_cast<long long>(ts.tv_sec), ts.tv_nsec);
        std::fflush(stdout);
        std::_Exit(0);
    }

    bool m_seen = false;
};
