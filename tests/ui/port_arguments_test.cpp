// The "--port" arguments against a real pseudo-terminal and a missing node.
#include "ui/port_arguments.h"

#include <gtest/gtest.h>

#include <sstream>

#include "link/serial.h"
#include "tests/support/pty.h"

using Names = std::vector<std::string>;

TEST(PortArguments, NamesPresentPortsQuietlyAndTellsOfMissingAndBadOnes) {
    PseudoTerminal pty;
    const std::string pts = pty.portName(), missing = "ttyQuorrelMissing7";
    const std::string notThere = "no such port: " + missing + "; it is listed when it appears\n";
    const auto notAPort = [](const std::string& given) {
        return "not a port: " + given + "; name a device under /dev, such as pts/3 or /dev/pts/3\n";
    };
    // The arguments after the program's name, the ports watched, what is
    // listed (the kernel lists nothing here) and what is said.
    const std::tuple<Names, Names, Names, std::string> rows[] = {
        {{"--port", pts}, {pts}, {pts}, ""},
        {{"--port", pty.slavePath()}, {pts}, {pts}, ""},
        {{"--port", "/dev//" + pts + "/", "--port", "./" + pts, "--port", pts}, {pts}, {pts}, ""},
        {{"--port", missing, "--port", pts, "--port", missing, "--port", "/dev/" + missing},
         {missing, pts},
         {pts},
         notThere},
        {{"--port", "/dev/", "--port", "/dev", "--port", "../" + pts, "--port", "/tmp/" + pts,
          "--port", "/dev/../dev/" + pts, "--port", ""},
         {},
         {},
         notAPort("/dev/") + notAPort("/dev") + notAPort("../" + pts) + notAPort("/tmp/" + pts) +
             notAPort("/dev/../dev/" + pts) + notAPort("")},
        {{"--port", pts, "--port"}, {pts}, {pts}, "--port needs a port name, such as pts/3\n"},
    };
    CSerial::SetPortLister([] { return Names{}; });
    for (const auto& [arguments, watched, listed, said] : rows) {
        std::vector<char*> argv{const_cast<char*>("quorrel")};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        SCOPED_TRACE(testing::PrintToString(arguments));
        std::ostringstream messages;
        NamePortsFromArguments(static_cast<int>(argv.size()), argv.data(), messages);
        EXPECT_EQ(messages.str(), said);
        EXPECT_EQ(CSerial::NamedPorts(), watched);
        Names ports;
        CSerial::EnumPorts(ports);
        EXPECT_EQ(ports, listed);
    }
    CSerial::SetNamedPorts({});
    CSerial::SetPortLister({});
}
