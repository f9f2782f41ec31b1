// Start-up benchmarks: the moment a program first paints, on the wall clock, so that the
// runner can count from the moment it started the process.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

// Prints "painted <unix seconds>" at the first paint of any widget and ends the process
// there: what follows is not start-up.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            timespec ts{};
            clock_gettime(CLOCK_REALTIME, &ts);
            std::printf("painted %lld.%09ld\n", static_cast<long long>(ts.tv_sec), ts.tv_nsec);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }
};
