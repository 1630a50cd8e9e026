#pragma once
// TTargetCADForm, "ターゲット CAD": the user's list of CADs, to choose the one QARN drives.
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "cad/target_cad_list.h"

namespace qarn::cad {

class TTargetCADForm : public QDialog {
  Q_OBJECT
 public:
  // `listFile` is "TargetCAD_APIVersion.txt" beside the executable.
  TTargetCADForm(QString listFile, QWidget* parent = nullptr);

  std::string CurrentProgId;  // the ProgID in force when the dialog opened

  QListWidget* ListBox1;      // the CADs, sorted
  QLineEdit* Edit1;           // name (description)
  QLineEdit* Edit2;           // ProgID
  QToolButton* SpeedButton1;  // "追加": add
  QToolButton* SpeedButton2;  // "削除": delete
  QToolButton* SpeedButton3;  // "変更": change
  QPushButton* OkButton;      // "OK"
  QPushButton* CancelButton;  // "取り消し": cancel

  void FormShow();
  void ListBox1Click();
  void SpeedButton1Click();
  void SpeedButton2Click();
  void SpeedButton3Click();

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void refresh();  // the list widget from the list, selection included
  // Runs a change of the list; a file that cannot be written is said so, the list unchanged.
  void save(const std::function<void()>& change);
  QString listFile_;
  TargetCadList list_;
};

}  // namespace qarn::cad
