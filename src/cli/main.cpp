// pordane-cli: the tests of the window from the command line.
#include "cli/Program.h"
#include "ftptests/GeneraID.h"
#include "platform/Terminal.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    using namespace pordane;
    ftptests::seedRandomGenerator();
    platform::useUtf8Console();
    platform::installInterruptCounter();
    const std::vector<std::string> args(argv + 1, argv + argc);
    cli::Environment environment = cli::systemEnvironment(std::cout, std::cerr);
    return cli::run(args, environment);
}
