#include "app/CommandLineHelp.h"

#include "settings/ProgramIdentity.h"

#include <cstdio>
#include <string_view>

namespace ondrix {

std::string UsageText() {
    return R"(Usage: ondrix [OPTION]... [FILE][/REC|/AUTO|/PPT]
  or:  ondrix --export OUTDIR [EXPORT OPTION]... [FILE]...
  or:  ondrix --help | --version
Real-time sound spectrograph for field bioacoustics.

Without --export the main window opens. FILE, when it exists, is opened and
analysed; a command line ending in /REC starts a recording at once (/AUTO and
/PPT are accepted and ignored).

Window options:
  --home FOLDER         keep settings, presets and the session log in FOLDER
                        (default: $ONDRIX_HOME, else $XDG_CONFIG_HOME/ondrix,
                        else ~/.config/ondrix)
  --no-splash           start without the splash window
  --start               start the analysis of the current task at once
  --screenshot FILE     save a PNG picture of the main window to FILE after
                        3 s, print its path and quit (unless --quit-after)
  --screenshot-window COMMAND
                        with --screenshot: run the menu command COMMAND
                        (e.g. BasicSettings) 1 s before and picture the
                        window it opens instead of the main window
  --quit-after SECONDS  quit after SECONDS; a running analysis or recording
                        is stopped and closed first

Export options (no window; each FILE is analysed with the saved settings):
  --export OUTDIR       write the PNG pages of each FILE into OUTDIR
  --width N             columns per page, 1 to 65536 (default 1024)
  --columns             also write the display values of every column as CSV
  --no-pictures         analyse only; write no PNG pages
  --axes                draw each page whole, framed by its time and
                        frequency axes, under the file's name and start time
  --home FOLDER         read the saved settings from FOLDER
  --jobs N              analyse with N workers (default: the number of cores)
  --files-from LIST     also analyse the files named in LIST, one per line
                        ("-" reads standard input; blank lines and lines
                        starting with # are skipped)
  --skip-existing       skip a file whose outputs are all complete
  --summary FILE        write one JSON line per input file to FILE

Other options:
  -h, --help            print this help and exit
  -v, --version         print the version and exit

Exit status of --export: 0 when every file was done, 1 when some failed (the
others are done), 2 for a command line that cannot be used. The window ends
with 0; 1 when --screenshot cannot save its picture, 2 for a --quit-after
without a number of seconds.
)";
}

std::optional<int> AnswerHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            break;
        }
        if (argument == "--help" || argument == "-h" || argument == "-?") {
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        }
        if (argument == "--version" || argument == "-v") {
            std::printf("%.*s\n", static_cast<int>(kVersionTitle.size()), kVersionTitle.data());
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace ondrix
