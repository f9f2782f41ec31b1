// The command line of tovalo:
//
//     tovalo [FILE.sd]    starts; once the window is open it loads FILE.sd as its Load button
//                         does with the file chosen in the dialog (same messages)
//     tovalo --help       a short text on standard output, exit status 0
//     tovalo --version    the version on standard output, exit status 0
//
// Anything else prints the usage on standard error and ends with exit status 2 before any
// window opens. Qt's own options (-platform NAME, -style NAME, ...) are taken out by
// QApplication first and work as for any Qt program.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

struct CommandLine {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    std::string file;     // Run: the task file to load once the window is open; empty: none
    std::string argument; // Usage: the first argument not understood
};

inline constexpr int kUsageExitStatus = 2;

// `args`: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// True when Qt would take none of `args` (Qt takes only arguments that begin with "-"):
// ParseCommandLine of them is then final, and what opens no window is answered before Qt
// starts, without a display.
bool LeavesNothingToQt(const std::vector<std::string>& args);

// Prints what `line` asks for: Help and Version on `out`, Usage on `err`, nothing for Run.
// Returns the exit status: kUsageExitStatus for Usage, else 0.
int Answer(const CommandLine& line, std::ostream& out, std::ostream& err);

} // namespace app
