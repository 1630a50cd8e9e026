#pragma once
class QApplication;

namespace qarn::app {

// "Windows10 Dark": the Fusion style with a palette close to Windows 10's dark mode.
void applyWindows10Dark(QApplication& app);

}  // namespace qarn::app
