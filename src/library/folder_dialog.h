#pragma once
// TForm3: registering a folder of the block library under a title, or changing a title.
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace qarn::library {

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr);

  QLineEdit* Edit1;      // "フォルダ名": the folder (read-only)
  QLineEdit* Edit2;      // "タイトル": the title
  QPushButton* Button1;  // "登録" or "更新"
  QPushButton* Button2;  // "キャンセル"

  // What "登録" / "更新" does; the main window decides (its list, its questions).
  std::function<void()> Button1Click;
};

}  // namespace qarn::library
