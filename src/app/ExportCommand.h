// "ondrix --export OUTDIR FILE...": whole files analysed with the saved settings, without a window.
#pragma once

namespace ondrix {

// True when the command line asks for an export.
bool IsExportCommand(int argc, char* argv[]);

// Runs the export and returns the exit code: 0 when every file was done, 1 when one could not be
// read (the others are done), 2 for a command line that cannot be used.
int RunExportCommand(int argc, char* argv[]);

} // namespace ondrix
