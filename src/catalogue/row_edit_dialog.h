#pragma once
// TForm1, "データの変更と追加": one catalogue row as a list of field names and values, written
// back over its line (update) or as a new line (add).
#include <QDialog>
#include <QPushButton>
#include <functional>

#include "app/main_window.h"
#include "widgets/string_grid.h"

namespace qarn::catalogue {

class TForm1 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm1(app::TForm2* main);

  // Row 0: "No" and the line number; rows 1 to 14: the headers and the row's values. The
  // buttons write to this catalogue and reload its grid, whatever page is current by then.
  void fillFrom(const app::TForm2::PageCatalogue& catalogue, int row);
  // Column 1 of rows 1 to 14 joined by tabs; cad::FieldError for a value with a tab or a line
  // break inside.
  std::string line() const;
  // The line of the row the dialog was filled from, as the grid showed it.
  const std::string& shownLine() const { return shown_; }

  widgets::StringGrid* StringGrid1;  // names and values
  QPushButton* Button1;              // "更新": update
  QPushButton* Button2;              // "追加": add
  QPushButton* Button3;              // "取り消し": cancel

  void Button1Click();
  void Button2Click();
  void Button3Click() { hide(); }

 private:
  bool confirm(const char* question, const char* caption);
  // Runs a write of the catalogue; a refusal is said to the user and gives false.
  bool write(const std::function<void()>& change);
  app::TForm2* main_;
  app::TForm2::PageCatalogue catalogue_{};
  std::string shown_;
};

}  // namespace qarn::catalogue
