// The program's entry point: the runtime's wide GUI start-up hands over the command line without
// the program's own name, and the show command from the start-up information.
#include "app/app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    return AppMain(instance, commandLine, showCommand);
}
