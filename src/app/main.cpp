// The window program: one CMainApp for the life of the process.
#include "CMainApp.h"

int main()
{
    CMainApp app;
    app.InitInstance();
    return app.ExitInstance();
}
