// Replacing a file that other programs read (a metrics file scraped by
// node_exporter) so that a reader sees the old content or the new, never a
// part: the content goes to a temporary file beside it, which is renamed
// into place once it is on disk.
#pragma once

#include <string>
#include <string_view>

// Writes content to path. The temporary file is path followed by a dot and
// six characters, in the same folder (a rename never crosses file systems)
// and not ending in the target's extension, so a collector reading "*.prom"
// skips it. The new file keeps the old file's mode, or gets the one a plain
// create would. On failure the old file is untouched, no temporary file is
// left, and error holds the reason ("Unable to write FILE: REASON").
bool WriteFileAtomically(const std::string& path, std::string_view content, std::string& error);
