// keltsim: plays the KELT-9R so the panel and terminal programs can be
// exercised without the instrument on the bench. The Linux build plays it
// on a pseudo-terminal (under Wine, through a COM-port symlink), the
// Windows build on a COM port paired with the panel's by a null-modem cable
// or a virtual port pair.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "control.h"
#include "port.h"
#include "simulator.h"

int main(int argc, char** argv) {
    using namespace kelt::sim;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args, portKind());
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "keltsim: %s\nTry 'keltsim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(usage("keltsim", portKind()).c_str(), stdout);
        return 0;
    }

    LogFile logFile;
    if (std::string error; !parsed.options.logPath.empty() && !logFile.open(parsed.options.logPath, error)) {
        std::fprintf(stderr, "keltsim: %s\n", error.c_str());
        return 2;
    }
    catchStopRequests();

    const Logger log(logFile, monoNow());
    const std::unique_ptr<Port> port = makePort(parsed.options);
    Simulator sim(parsed.options, *port, log);
    return sim.run();
}
