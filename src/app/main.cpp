// The window program: one CMainApp for the life of the process, unless the
// command line asks for the usage text or the version.
#include "AppCommandLine.h"
#include "CMainApp.h"

int main(int argc, char** argv)
{
    const int status = RunAppCommandLine(argc, argv);
    if (status >= 0)
        return status;
    const CAppEnvironment machine;
    CMainApp app(machine);
    app.InitInstance();
    return app.ExitInstance();
}
