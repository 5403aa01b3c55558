// Morvane's entry point. Command-line arguments are ignored, Qt's own options
// included: the application object sees only the program's name.
#include "AppShell.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"

int main(int, char** argv)
{
    int argc = 1;
    char* programOnly[] = {argv[0], nullptr};
    morvane::MorvaneApplication app(argc, programOnly);
    morvane::ModalHost modal;
    morvane::AppShell shell(app, modal);
    return shell.run();
}
