#include "shell/DesktopApp.h"

int main(int argc, char* argv[]) { return tidewell::app::RunDesktopTool(argc, argv); }
