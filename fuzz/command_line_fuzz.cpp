// The Linux command line: the input is the arguments after the program name, each ended by
// a NUL byte. What parses without an error must reach the core as the switch it meant.
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "saver/switch_text.h"

namespace {

constexpr std::size_t MaxArguments = 64;

std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments{"vorlix"};
    std::string current;
    for (std::size_t i = 0; i < size && arguments.size() < MaxArguments; ++i) {
        if (data[i] != 0) {
            current.push_back(static_cast<char>(data[i]));
            continue;
        }
        arguments.push_back(current);
        current.clear();
    }
    if (!current.empty() && arguments.size() < MaxArguments) arguments.push_back(current);
    return arguments;
}

// A window id given on the command line is the window the core previews into.
void ExpectWindowReachesCore(const vorlix::linuxhost::RunRequest& request) {
    if (!request.error.empty() || request.showHelp || request.windowId == 0) return;
    if (request.wantsRoot) std::abort();
    vorlix::SwitchRequest core = vorlix::ParseSwitch(request.switchText.c_str());
    if (core.mode != vorlix::SaverMode::Preview || core.window != request.windowId) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> arguments = Arguments(data, size);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const auto request =
        vorlix::linuxhost::ParseCommandLine(static_cast<int>(arguments.size()), argv.data());
    ExpectWindowReachesCore(request);
    if (request.error.empty()) vorlix::ParseSwitch(request.switchText.c_str());
    for (const std::string& argument : arguments) {
        std::uint64_t id = 0;
        if (vorlix::linuxhost::ParseWindowId(argument.c_str(), id) && (id == 0 || id > 0xFFFFFFFFu))
            std::abort();
    }
    return 0;
}
