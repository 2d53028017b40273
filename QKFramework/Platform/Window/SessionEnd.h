// SessionEnd: the signals that ask a desktop program to end (SIGTERM from the session or
// `kill`, SIGINT from Ctrl+C in its terminal, SIGHUP when its terminal or session goes)
// turned into the program's own exit: the message loop sees the request within one turn
// and ends the run as the window's close button does, settings written, status 0.
//
// While the request stands, nothing waits for a person any more: the dialog program of an
// open box or file dialog is ended and its wait returns at once (see RunChildProgram), and
// no new one starts.
//
// The handler only sets a flag; everything else happens on the UI thread. A second signal of
// the same kind ends the process as the system would (a program that no longer turns its
// loop must still be able to be stopped).
#pragma once

namespace QK
{

class SessionEndSignals
{
public:
    // Installs the handlers for as long as this object lives and clears any earlier request;
    // the handlers before are put back at the end.
    SessionEndSignals();
    ~SessionEndSignals();
    SessionEndSignals(const SessionEndSignals&) = delete;
    SessionEndSignals& operator=(const SessionEndSignals&) = delete;
};

// Whether a signal has asked the program to end (since the handlers were installed).
bool IsSessionEndRequested();
// True once for a request: for the message loop that turns it into the exit request.
bool ClaimSessionEndRequest();

} // namespace QK
