#include "devices/StreamClasses.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "Usage: tessivar-cli COMMAND [OPTIONS]\n"
    "\n"
    "Runs and inspects Tessivar circuits without opening a window.\n"
    "\n"
    "Commands:\n"
    "  help       show this text\n"
    "\n"
    "Run 'tessivar-cli COMMAND --help' for the options of a command.\n";

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "tessivar-cli: unknown command '%s'\n\n%s", argv[1], kUsage);
    return 2;
}
