// pennoria: the desktop host.
#include "host/HostApp.h"

int main(int argc, char** argv) {
    pennoria::host::CHostApp app;
    return app.Run(argc, argv);
}
