#pragma once
// A file the test cannot read, as a file of another user with mode 0600 is. The superuser reads
// every file, so under it the test takes another user's identity while the guard lives. The
// folder is left open to everyone, so that a wrong rewrite of the file would succeed and be seen.
#include <filesystem>

#include <unistd.h>

namespace qarn::testing {

class AnotherUsersFile {
 public:
  explicit AnotherUsersFile(const std::filesystem::path& file) : file_(file) {
    namespace fs = std::filesystem;
    fs::permissions(file.parent_path(), fs::perms::all);
    if (::geteuid() == 0) {
      fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
      switched_ = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    } else {
      fs::permissions(file, fs::perms::none);
    }
  }
  ~AnotherUsersFile() {
    if (switched_) {
      (void)::seteuid(0);
      (void)::setegid(0);
    }
    std::error_code ignored;
    std::filesystem::permissions(file_, std::filesystem::perms::owner_read |
                                            std::filesystem::perms::owner_write,
                                 ignored);
  }
  AnotherUsersFile(const AnotherUsersFile&) = delete;
  AnotherUsersFile& operator=(const AnotherUsersFile&) = delete;

 private:
  std::filesystem::path file_;
  bool switched_ = false;
};

}  // namespace qarn::testing
