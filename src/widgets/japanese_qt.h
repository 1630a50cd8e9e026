#pragma once
// The toolkit's own texts in Japanese: the buttons of message boxes ("はい(&Y)", "いいえ(&N)",
// "キャンセル") and the labels of file dialogs, as a Japanese system shows them. The user is a
// Japanese CAD user and every window of the program, the simulated CAD's included, speaks to them
// in Japanese.

namespace qarn::widgets {

// Installed once for the application; later calls do nothing.
void installJapaneseToolkitTexts();

}  // namespace qarn::widgets
