#include "app/Startup.h"
#include "library/App.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    app::InitApplication(qapp);
    // Returns FALSE once the main window has closed: the process ends.
    theApp.InitInstance();
    return 0;
}
