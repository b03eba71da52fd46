// pennoria: the desktop host.
#include "host/HostApp.h"
#include "platform/TopLevel.h"

int main(int argc, char** argv) {
    return pennoria::platform::RunReportingExceptions("pennoria", [&] {
        pennoria::host::CHostApp app;
        return app.Run(argc, argv);
    });
}
