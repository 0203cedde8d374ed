// Placeholder until the visit-online launcher lands: nothing is ever started.
#include "engine.h"

int VisitOnline(const char *) { return 0; }
