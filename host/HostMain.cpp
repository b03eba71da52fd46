// pennoria: the desktop host. --help and --version are answered before any display is opened.
#include "host/HostApp.h"
#include "platform/TopLevel.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const kUsage =
    "Usage: pennoria [PROJECT]\n"
    "       pennoria --help | --version\n"
    "\n"
    "Opens the Pennoria banner editor in its window; with PROJECT (a .pbf file), the editor\n"
    "starts with that project open. The program needs a graphical session; to publish a saved\n"
    "project without one, use pennoria-cli (pennoria-cli publish --help).\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Example:\n"
    "  pennoria ~/Pennoria/summer-sale.pbf\n"
    "\n"
    "The language follows LC_ALL, LC_MESSAGES or LANG until one is stored in the settings;\n"
    "published banners go to $(xdg-user-dir DOCUMENTS)/Pennoria unless another folder is chosen.\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("pennoria %s\n", PENNORIA_VERSION);
            return 0;
        }
    }
    return pennoria::platform::RunReportingExceptions("pennoria", [&] {
        pennoria::host::CHostApp app;
        return app.Run(argc, argv);
    });
}
