// root.h: the folder that holds this "machine".
//
// Everything the platform keeps lives under one root folder: the drive tree
// that Windows paths map into (drive C: is <root>/c), the printer-driver
// directory, the temporary folder and the registry database. The root is
// taken from Q730_ROOT, else $XDG_DATA_HOME/q730, else ~/.local/share/q730.
// Tests set a fresh one with PlatSetRoot.
#pragma once

#include "platform/windef.h"

// Host path of the root (UTF-8, no trailing slash); created on first use.
const char* PlatGetRoot();

// Switches this process to another root and creates it. Handles opened under
// the old root stay valid; nothing is copied.
void PlatSetRoot(const char* pszHostPath);

// Host folder of the running program (where the driver libraries are built).
const char* PlatGetProgramDir();

// Host folder of the platform's own libraries: the program's folder in the
// build, DIR/lib in a tree installed with make install PREFIX=DIR, where
// the driver libraries lie beside them.
const char* PlatGetLibraryDir();
