#include "app/CommandLine.h"

#include "platform/Text.h"
#include "res/Ids.h"
#include "res/Resources.h"

#include <algorithm>
#include <ostream>

namespace app {

namespace {

constexpr const char* kHelp = "--help";
constexpr const char* kVersion = "--version";

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    if (args.size() == 1 && (args[0] == kHelp || args[0] == kVersion)) {
        line.action = args[0] == kHelp ? CommandLine::Action::Help : CommandLine::Action::Version;
        return line;
    }
    for (const std::string& a : args) {
        // An option, a second file, or --help and --version beside anything else.
        if (a.empty() || a[0] == '-' || !line.file.empty()) {
            line.action = CommandLine::Action::Usage;
            line.argument = a;
            line.file.clear();
            return line;
        }
        line.file = a;
    }
    return line;
}

bool LeavesNothingToQt(const std::vector<std::string>& args) {
    return std::none_of(args.begin(), args.end(), [](const std::string& a) {
        return !a.empty() && a[0] == '-' && a != kHelp && a != kVersion;
    });
}

int Answer(const CommandLine& line, std::ostream& out, std::ostream& err) {
    switch (line.action) {
    case CommandLine::Action::Run:
        return 0;
    case CommandLine::Action::Help:
        out << res::LoadString(IDS_CLI_USAGE) << '\n' << res::LoadString(IDS_CLI_HELP) << '\n';
        break;
    case CommandLine::Action::Version:
        out << platform::FormatString(res::LoadString(IDS_CLI_VERSION), TOVALO_VERSION) << '\n';
        break;
    case CommandLine::Action::Usage:
        err << platform::FormatString(res::LoadString(IDS_CLI_BAD_ARGUMENT), line.argument) << '\n'
            << res::LoadString(IDS_CLI_USAGE) << '\n';
        return kUsageExitStatus;
    }
    out.flush();
    return 0;
}

} // namespace app
