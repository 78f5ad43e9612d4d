// MyCompress: one file into a one-entry zip archive (deflate, minizip) and
// back; CompressFile is what COMPRESSFILE does with a path.
#pragma once

#include <string>
#include <string_view>

class MyCompress {
 public:
  virtual ~MyCompress() = default;
  // Archive holding source as one entry named exactly as the source argument.
  bool Compress(const char* source, const char* archive) const;
  // Same with the entry's name given.
  bool Compress(const std::string& source, const std::string& archive, const std::string& entryName) const;
  // The first entry of the archive into destination.
  bool Uncompress(const char* destination, const char* archive) const;
};

// Where COMPRESSFILE puts a file: the archive beside it, named as the file with
// its extension replaced by "dmz" ("Logs/run.txt" gives "Logs/run.dmz" with the
// entry "run.txt"); a name without an extension gets ".dmz" appended.
struct CompressPlan {
  std::string source;
  std::string archive;
  std::string entry;  // the file name without its folder
};

enum class CompressResult : uint8_t {
  Ok,
  Unreadable,        // the path is not a readable file
  NameClash,         // the archive would have the source's own name ("a.dmz")
  ArchiveExists,     // a file of the archive's name exists; it is never replaced
  Failed,            // the archive could not be written
  SourceNotRemoved,  // archive complete, but the source could not be deleted
};

// False when the archive's name would be the source's.
bool PlanCompression(std::string_view path, CompressPlan& plan);
// Compresses path into its archive and deletes path once the archive is complete.
// An existing file of the archive's name is never replaced: the source is kept.
// Paths are taken as given (relative to the working folder); the working folder
// is never changed.
CompressResult CompressFile(std::string_view path);
