// selvaun AppFullPath: run by a service to start a program in the console user's session.
#include <cstdio>

#include "winbase/diagnostic_log.h"
#include "winbase/start_hardening.h"
#include "launcher.h"

#ifdef __MINGW32__
// The argument is a path or a command line, never a pattern: no wildcard expansion.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
    winbase::HardenProcess(winbase::Program::kLauncher);
    // The log is written only for a call with its one argument.
    const winbase::DiagnosticLog log(argc == 2 ? L"SELVAUN_LOG" : nullptr, "selvaun");
    return selvaun::Launcher(selvaun::SystemApi(), stdout, stderr, log).Main(argc, argv);
}
