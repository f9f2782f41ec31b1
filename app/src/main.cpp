#include "app/CommandLine.h"
#include "app/Startup.h"
#include "library/App.h"
#include "platform/Framework.h"
#include "res/Resources.h"

#include <QApplication>
#include <QLocale>

#include <iostream>

int main(int argc, char** argv) {
    // The answers below speak the interface's language; QLocale needs no application.
    res::SetLanguage(platform::ChooseLanguage(QLocale::system().uiLanguages()));
    // Without anything for Qt, what opens no window is answered before Qt starts: it needs
    // no display.
    if (const std::vector<std::string> raw(argv + 1, argv + argc); app::LeavesNothingToQt(raw)) {
        if (const app::CommandLine line = app::ParseCommandLine(raw);
            line.action != app::CommandLine::Action::Run)
            return app::Answer(line, std::cout, std::cerr);
    }
    QApplication qapp(argc, argv); // takes Qt's own options out of argv
    const app::CommandLine line = app::ParseCommandLine({argv + 1, argv + argc});
    if (line.action != app::CommandLine::Action::Run)
        return app::Answer(line, std::cout, std::cerr);

    app::InitApplication(qapp);
    StartupSteps steps;
    steps.openFile = line.file;
    // Returns FALSE once the main window has closed: the process ends.
    theApp.InitInstance(steps);
    return 0;
}
