// glimmer-pack build and saver: gathering every input, checking all of them before anything is
// written, and writing the installer or the saver file in one piece.
#pragma once

// Runs "build" (installer 1) or "saver" (installer 0) on the arguments after the subcommand.
// Returns the process exit status: 0 when the file was written, 1 when it was not.
int PackBuild(int argc, char **argv, int installer);
// The help text of "build" or "saver".
void PackBuildHelp(int installer);
