// pennoria: the desktop host's entry point.
#include "app/HostApp.h"

int main() {
    return pennoria::RunHostStartup(stderr);
}
