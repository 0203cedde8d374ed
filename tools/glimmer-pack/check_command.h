// glimmer-pack check: reads an installer or an installed saver file and says whether it would
// work on Windows 95: each record in its place, each picture drawable, the engine variant it
// carries, and the memory the saver will hold.
#pragma once

// Runs check on the arguments after the subcommand; returns the exit status: 0 when nothing is
// wrong (warnings do not count), 1 otherwise.
int PackCheck(int argc, char **argv);
void PackCheckHelp();
