// quorrel-sim: a simulated K7R40 module on a pseudo-terminal, so that Quorrel or
// a terminal program (picocom, screen) can be tried without hardware.

#include <pthread.h>
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <exception>
#include <string>

#include "tests/support/module_simulator.h"

namespace {

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: quorrel-sim [--model D|S|T] [--band N|E|\"\"] "
                 "[--flavour STANDARD|STD|LRWAN|CLAA] [--version V1|V2] [--suffix TEXT]\n"
                 "Starts a simulated K7R40 module on a pseudo-terminal and runs until "
                 "interrupted.\n");
}

bool OneOf(const std::string& value, std::initializer_list<const char*> choices) {
    for (const char* choice : choices) {
        if (value == choice) return true;
    }
    return false;
}

// Fills identity from argv; false (after a message) on anything it does not know.
bool ParseArguments(int argc, char** argv, ModuleSimulator::Identity& identity) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "-h" || option == "--help") {
            Usage(stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "quorrel-sim: %s needs a value\n", option.c_str());
            return false;
        }
        const std::string value = argv[++i];
        bool known = true;
        if (option == "--model" && OneOf(value, {"D", "S", "T"})) {
            identity.model = value;
        } else if (option == "--band" && OneOf(value, {"", "N", "E"})) {
            identity.band = value;
        } else if (option == "--flavour" && OneOf(value, {"STANDARD", "STD", "LRWAN", "CLAA"})) {
            identity.flavour = value;
        } else if (option == "--version" && OneOf(value, {"V1", "V2"})) {
            identity.version = value;
        } else if (option == "--suffix") {
            identity.suffix = value;
        } else {
            known = false;
        }
        if (!known) {
            std::fprintf(stderr, "quorrel-sim: bad option or value: %s %s\n", option.c_str(),
                         value.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    ModuleSimulator::Identity identity;
    if (!ParseArguments(argc, argv, identity)) {
        Usage(stderr);
        return 2;
    }

    // Blocked before the simulator's thread starts, so that only sigwait below
    // takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        ModuleSimulator module(identity);
        std::printf("Simulated module: %s\n", module.versionReply().c_str());
        std::printf("Port: %s (choose \"%s\" in Quorrel)\n", module.devicePath().c_str(),
                    module.portName().c_str());
        std::printf("Press Ctrl+C to stop.\n");
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stopSignals, &signal);
        std::printf("\nStopped: %zu units received, %zu replies sent.\n", module.received().size(),
                    module.sent().size());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quorrel-sim: %s\n", error.what());
        return 1;
    }
    return 0;
}
