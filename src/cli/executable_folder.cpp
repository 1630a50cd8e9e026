#include "cli/executable_folder.h"

#include <filesystem>

#include "cad/text_file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace qarn::cli {

std::string executableFolder(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
#ifdef _WIN32
  wchar_t buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(nullptr, buf, static_cast<DWORD>(std::size(buf)));
  if (n > 0) return cad::utf8Path(fs::path(std::wstring(buf, n)).parent_path());
#else
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) return cad::utf8Path(self.parent_path());
#endif
  fs::path p = fs::absolute(argv0 ? argv0 : ".", ec);
  return cad::utf8Path(p.parent_path());
}

}  // namespace qarn::cli
