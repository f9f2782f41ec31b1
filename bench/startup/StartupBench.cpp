// tovalo's own start-up, until the main window first paints: library binding, the store,
// the window built from its template. KORVEX_HOME is the runner's.
#include "FirstPaint.h"
#include "app/Startup.h"
#include "library/App.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    FirstPaint paint;
    qapp.installEventFilter(&paint);
    app::InitApplication(qapp);
    theApp.InitInstance();
    return 1; // the window closed without painting
}
