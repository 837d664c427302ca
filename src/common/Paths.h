// Path helpers with "/" as the folder separator, and the program and working folders.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ondrix {

// The part after the last "/".
std::string FileNameOfPath(std::string_view path);
// The part up to and including the last "/" (empty when there is none).
std::string FolderOfPath(std::string_view path);
// Drops the last four characters when the fourth from the end is "." ("a.wav" -> "a").
std::string StripExtension(std::string_view path);
// Whether the name ends in the extension, compared without regard to case (".preset", ".ini").
bool EndsWithNoCase(std::string_view name, std::string_view extension);
// The name with the extension appended unless it already ends in it (in any case).
std::string WithExtension(std::string_view name, std::string_view extension);
// Appends "/" to a non-empty folder that does not end in one.
std::string WithTrailingSlash(std::string_view folder);

// Returns the folder with a trailing "/" and creates it (one level) when it does not exist yet.
// Failures are ignored; later file operations report their own errors. Leaves no file behind.
std::string EnsureFolder(std::string_view folder);

// Whether files can be written in the folder: the folder is created (one level) when missing, then a
// test file under a new unique name is created exclusively, written and deleted in it. Every folder
// write test uses this; no existing file is ever touched.
bool IsFolderWritable(std::string_view folder);

// The per-user program folder, ending in "/": the --home option when given, else $ONDRIX_HOME, else
// $XDG_CONFIG_HOME/ondrix, else $HOME/.config/ondrix. Not created here.
std::string ResolveProgramFolder(const std::optional<std::string>& homeOption = std::nullopt);

// The default working folder for recordings, snapshots and logs: $HOME/Ondrix/ (not created here).
std::string DefaultWorkFolder();

// The user manual's page: the installed copy, "../share/doc/ondrix/manual/Ondrix_manual.html" from the
// executable's folder, else the copy in the source tree's "docs/manual/"; empty when neither exists.
std::string FindManual(std::string_view executableFolder, std::string_view sourceFolder);

} // namespace ondrix
