// The desktop tool as it starts for a publisher, ending once its window with
// the project open is painted and idle.
#include "shell/DesktopApp.h"

int main(int argc, char* argv[]) { return tidewell::app::RunDesktopTool(argc, argv, true); }
