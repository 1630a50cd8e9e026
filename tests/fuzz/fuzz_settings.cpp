// The settings file: INI lines in any encoding, read for the window position and the target CAD,
// changed and written back.
#include <stdexcept>

#include "app/settings_file.h"
#include "fuzz_support.h"

using namespace qarn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string path = fuzz::writeInput("qarn.ini", data, size);
  app::Settings s = app::readSettings(path, "BricscadApp.AcadApplication", "BricsCAD");
  app::IniFile ini = app::IniFile::load(path);
  ini.readInteger("Form", "Left", 0);
  ini.write("TargetCad", "Name", s.name);
  ini.write("Form", "Top", "12");
  try {
    ini.save((fuzz::scratchFolder() / "out.ini").string());
  } catch (const std::runtime_error&) {  // a text the encoding cannot hold, said by name
  }
  return 0;
}
