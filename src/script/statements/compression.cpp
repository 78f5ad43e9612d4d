// Zip archives through minizip: one entry in, first entry out.
#include "script/statements/compression.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr size_t kBlock = 16384;

using UniqueFile = std::unique_ptr<FILE, int (*)(FILE*)>;

struct ZipCloser {
  void operator()(void* z) const { zipClose(z, nullptr); }
};
struct UnzCloser {
  void operator()(void* z) const { unzClose(z); }
};

// Time stamp of the entry: the source's modification time.
zip_fileinfo EntryInfo(const struct stat& st) {
  zip_fileinfo info{};
  struct tm local {};
  const time_t t = st.st_mtime;
  if (localtime_r(&t, &local) != nullptr) {
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
  }
  return info;
}

}  // namespace

bool MyCompress::Compress(const char* source, const char* archive) const {
  if (source == nullptr || archive == nullptr) return false;
  return Compress(source, archive, source);
}

bool MyCompress::Compress(const std::string& source, const std::string& archive, const std::string& entryName) const {
  UniqueFile in(std::fopen(source.c_str(), "rb"), &std::fclose);
  struct stat st {};
  if (!in || fstat(fileno(in.get()), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Entries of this archive format hold at most 4 GiB without the 64-bit extension.
  if (static_cast<uint64_t>(st.st_size) >= 0xFFFFFFFFull) return false;
  std::unique_ptr<void, ZipCloser> zip(zipOpen(archive.c_str(), APPEND_STATUS_CREATE));
  if (!zip) return false;
  const zip_fileinfo info = EntryInfo(st);
  if (zipOpenNewFileInZip(zip.get(), entryName.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                          Z_DEFAULT_COMPRESSION) != ZIP_OK)
    return false;
  std::vector<char> block(kBlock);
  bool ok = true;
  size_t n = 0;
  while (ok && (n = std::fread(block.data(), 1, block.size(), in.get())) > 0)
    ok = zipWriteInFileInZip(zip.get(), block.data(), static_cast<unsigned>(n)) == ZIP_OK;
  ok = std::ferror(in.get()) == 0 && ok;
  ok = zipCloseFileInZip(zip.get()) == ZIP_OK && ok;
  ok = zipClose(zip.release(), nullptr) == ZIP_OK && ok;
  return ok;
}

bool MyCompress::Uncompress(const char* destination, const char* archive) const {
  if (destination == nullptr || archive == nullptr) return false;
  std::unique_ptr<void, UnzCloser> unz(unzOpen(archive));
  if (!unz || unzGoToFirstFile(unz.get()) != UNZ_OK || unzOpenCurrentFile(unz.get()) != UNZ_OK) return false;
  UniqueFile out(std::fopen(destination, "w+"), &std::fclose);
  bool ok = static_cast<bool>(out);
  std::vector<char> block(kBlock);
  int n = 0;
  while (ok && (n = unzReadCurrentFile(unz.get(), block.data(), static_cast<unsigned>(block.size()))) > 0)
    ok = std::fwrite(block.data(), 1, static_cast<size_t>(n), out.get()) == static_cast<size_t>(n);
  ok = n == 0 && ok;  // a negative count is a damaged entry (its CRC is checked at the end)
  ok = unzCloseCurrentFile(unz.get()) == UNZ_OK && ok;
  if (out) ok = std::fclose(out.release()) == 0 && ok;
  return ok;
}

bool PlanCompression(std::string_view path, CompressPlan& plan) {
  const size_t slash = path.rfind('/');
  const std::string_view folder = slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash + 1);
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  const std::string archiveName =
      dot == std::string_view::npos ? std::string(name) + ".dmz" : std::string(name.substr(0, dot + 1)) + "dmz";
  plan.source = std::string(path);
  plan.entry = std::string(name);
  plan.archive = std::string(folder) + archiveName;
  return archiveName != name;
}

namespace {

// Moves the finished archive into place without ever replacing a file of its
// name: a hard link fails when the name is taken. Where the file system has
// no hard links the archive is renamed, once the name has been found free.
CompressResult PlaceArchive(const std::string& temp, const std::string& archive) {
  if (link(temp.c_str(), archive.c_str()) == 0) {
    unlink(temp.c_str());
    return CompressResult::Ok;
  }
  if (errno == EEXIST) return CompressResult::ArchiveExists;
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return CompressResult::Failed;
  struct stat st {};
  if (lstat(archive.c_str(), &st) == 0) return CompressResult::ArchiveExists;
  return std::rename(temp.c_str(), archive.c_str()) == 0 ? CompressResult::Ok : CompressResult::Failed;
}

}  // namespace

CompressResult CompressFile(std::string_view path) {
  CompressPlan plan;
  if (!PlanCompression(path, plan)) return CompressResult::NameClash;
  struct stat st {};
  if (plan.entry.empty() || stat(plan.source.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      access(plan.source.c_str(), R_OK) != 0)
    return CompressResult::Unreadable;
  // An archive of that name (an earlier run's, or "run.log" after "run.txt")
  // is never replaced: say so before any work is done.
  if (lstat(plan.archive.c_str(), &st) == 0) return CompressResult::ArchiveExists;
  // Written in the same folder under a short name of its own, so that a
  // long file name still leaves room, and moved into place when complete.
  const size_t slash = plan.archive.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : plan.archive.substr(0, slash + 1);
  std::string temp = folder + ".vexil-zip-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return CompressResult::Failed;
  const mode_t mask = umask(0);
  umask(mask);
  const bool modeSet = fchmod(fd, 0666 & ~mask) == 0;
  close(fd);
  if (!modeSet || !MyCompress().Compress(plan.source, temp, plan.entry)) {
    unlink(temp.c_str());
    return CompressResult::Failed;
  }
  const CompressResult placed = PlaceArchive(temp, plan.archive);
  if (placed != CompressResult::Ok) {
    unlink(temp.c_str());
    return placed;
  }
  return unlink(plan.source.c_str()) == 0 ? CompressResult::Ok : CompressResult::SourceNotRemoved;
}
