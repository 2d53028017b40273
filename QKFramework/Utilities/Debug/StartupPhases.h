// The moments a launch passes through (main entered, skins loaded, first frame on screen,
// ...), written to the debug log as "Start-up phase: <name> <microseconds>": the steady
// clock's own count, which a program that launched this one can set against its own clock.
//
// Phases noted before the log has been given its channel by the command line are held and
// written by ReleaseStartupPhases; later ones are written at once. A name is noted once
// only; later notes of it are ignored. Any thread.
#pragma once

namespace QK
{

// name: one word (it ends the field that tools read).
void NoteStartupPhase(const char* name);
// Writes the phases held so far; from now on each is written when it is noted.
void ReleaseStartupPhases();

} // namespace QK
