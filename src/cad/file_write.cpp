// Files the program rewrites are replaced whole: written beside the target, flushed, then renamed
// over it, so that a crash or a full disk never leaves half a catalogue behind.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "cad/text_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qarn::cad {

namespace {

// A name for the temporary file that no other process or call shares.
std::string temporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
#ifdef _WIN32
  unsigned long pid = GetCurrentProcessId();
#else
  unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
  return path + ".tmp~" + std::to_string(pid) + "-" + std::to_string(counter++);
}

// How many names the file has.
std::uintmax_t linkCount(const std::filesystem::path& p) {
#ifdef _WIN32
  HANDLE h = CreateFileW(p.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION info{};
  bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return ok ? info.nNumberOfLinks : 1;
#else
  std::error_code ec;
  std::uintmax_t n = std::filesystem::hard_link_count(p, ec);
  return ec ? 1 : n;
#endif
}

[[noreturn]] void writeFailed(const std::string& path, const std::string& why) {
  throw std::runtime_error("「" + path + "」に書き込めません（" + why + "）。");
}

}  // namespace

void writeFileAtomically(const std::string& path, const std::string& bytes) {
  writeFileAtomically(path, [&](const ByteSink& sink) { sink(bytes); });
}

void writeFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink&)>& produce) {
  namespace fs = std::filesystem;
  fs::path target = filePath(path);
  std::error_code ec;
  // A link is followed: the file it names is replaced and the link stays, so that a catalogue
  // shared through a link is the one that changes.
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::path resolved = fs::canonical(target, ec);
    if (ec) writeFailed(path, "リンク先のファイルがありません");
    target = resolved;
  }
  const std::string real = utf8Path(target);
  fs::file_status st = fs::status(target, ec);
  bool exists = fs::exists(st);
  if (exists) {
    using fs::perms;
    // The read-only mark is kept even for a user the system would let write; and a file the
    // user may not write is not replaced either, though the folder would allow it.
    bool writable =
        (st.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) !=
        perms::none;
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      writable = false;
#else
    if (writable && ::access(real.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS))
      writable = false;
#endif
    if (!writable)
      throw std::runtime_error("「" + path +
                               "」は読み取り専用です。書き換えずにそのままにしました。");
    // Replacing a file that has other names would leave them on the old text.
    if (linkCount(target) > 1)
      throw std::runtime_error("「" + path +
                               "」はほかの名前（ハードリンク）からも使われています。置き換えると"
                               "それらと別のファイルに分かれるため、書き換えずにそのままにしました。");
  }
  const std::string tmp = temporaryName(real);
  const fs::path tmpPath = filePath(tmp);
  auto discard = [&] {
    std::error_code ignored;
    fs::remove(tmpPath, ignored);
  };
#ifdef _WIN32
  {
    HANDLE h = CreateFileW(tmpPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) writeFailed(path, "一時ファイルを作れません");
    bool ok = true;
    try {
      produce([&](std::string_view piece) {
        for (std::size_t done = 0; ok && done < piece.size();) {
          DWORD n = static_cast<DWORD>(std::min<std::size_t>(piece.size() - done, 1u << 30));
          DWORD written = 0;
          ok = WriteFile(h, piece.data() + done, n, &written, nullptr) && written == n;
          done += written;
        }
      });
    } catch (...) {
      CloseHandle(h);
      discard();
      throw;
    }
    ok = ok && FlushFileBuffers(h);
    CloseHandle(h);
    if (!ok) {
      discard();
      writeFailed(path, "ディスクがいっぱいかもしれません");
    }
  }
  if (!MoveFileExW(tmpPath.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    discard();
    writeFailed(path, "置き換えられません");
  }
#else
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) writeFailed(path, std::string("一時ファイルを作れません: ") + std::strerror(errno));
  bool ok = true;
  try {
    produce([&](std::string_view piece) {
      for (std::size_t done = 0; ok && done < piece.size();) {
        ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
      }
    });
  } catch (...) {
    ::close(fd);
    discard();
    throw;
  }
  // The new file keeps the old one's owner and group where the system allows it (a group the
  // user belongs to), then its permissions, which a change of owner may have cleared.
  struct stat old {};
  if (ok && exists && ::stat(real.c_str(), &old) == 0) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
      (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);  // else it stays the user's own
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    discard();
    writeFailed(path, "ディスクがいっぱいかもしれません");
  }
  if (::rename(tmp.c_str(), real.c_str()) != 0) {
    int e = errno;
    discard();
    writeFailed(path, std::string("置き換えられません: ") + std::strerror(e));
  }
  // The rename itself reaches the disk with the folder.
  std::string folder = utf8Path(target.parent_path());
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
#endif
}

}  // namespace qarn::cad
