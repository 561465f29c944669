// What a batch run has made and must not leave behind when SIGINT, SIGTERM or SIGHUP stops it:
// its scratch folder with what is in it, and the temporary file beside OUTPUT. The paths wait in
// fixed buffers; the handler removes them with async-signal-safe calls only and then lets the
// signal end the process as it would have.
#pragma once

#include <signal.h>

#include <string>

namespace vesta {

enum class Leftover { ScratchFolder, OutputTemporary };

// Installs the handler for the three signals, except one the process was started ignoring
// (nohup, a background job), which stays ignored.
void removeLeftoversOnTermination();

// Gives the path the handler removes for `what`; a path too long for the buffer is not kept.
void rememberLeftover(Leftover what, const std::string& path);
void forgetLeftover(Leftover what);

// Holds the three signals back in this thread while something is made and remembered, so that
// no signal falls between the two.
class TerminationHeld {
  public:
    TerminationHeld();
    ~TerminationHeld();
    TerminationHeld(const TerminationHeld&) = delete;
    TerminationHeld& operator=(const TerminationHeld&) = delete;

  private:
    sigset_t previous_;
};

}  // namespace vesta
