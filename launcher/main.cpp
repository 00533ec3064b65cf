// selvaun AppFullPath: run by a service to start a program in the console user's session.
#include <cstdio>

#include "diagnostic_log.h"
#include "guard/start_hardening.h"
#include "launcher.h"

#ifdef __MINGW32__
// The argument is a path or a command line, never a pattern: no wildcard expansion.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
    vantrel::HardenProcess(vantrel::Program::kLauncher);
    // The log is opened only for a call with its one argument.
    std::FILE* log = argc == 2 ? selvaun::OpenDiagnosticLog(L"SELVAUN_LOG") : nullptr;
    const int status = selvaun::Launcher(selvaun::SystemApi(), stdout, stderr, log).Main(argc, argv);
    if (log != nullptr) std::fclose(log);
    return status;
}
