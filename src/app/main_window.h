#pragma once
// TForm2, QARN's main window: the page control with its nine pages, the settings file, the
// caption, the target CAD and the error report every handler runs under. Each page is built and
// handled in the folder of its subsystem (box_page.cpp for the enclosure page, ...).
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QWidget>
#include <functional>
#include <memory>

#include "cad/command.h"
#include "cad/message_filter.h"
#include "catalogue/device_catalogue.h"
#include "inspect/attribute_editor.h"
#include "inspect/layer_table.h"
#include "widgets/string_grid.h"

namespace qarn::cad {
class TTargetCADForm;
}
namespace qarn::library {
class TForm3;
}
namespace qarn::catalogue {
class TForm1;
class WidthCache;
}  // namespace qarn::catalogue

namespace qarn::app {

using widgets::StringGrid;

// Where the program finds its files: the executable's folder and its settings file.
struct AppPaths {
  QString folder;        // data files: catalogues, the CAD list
  QString settingsFile;  // the executable's path with ".ini"
  static AppPaths forExecutable(const QString& executablePath);
};

class TForm2 : public QWidget, public cad::MainWindow {
  Q_OBJECT
 public:
  // `desktop` is the platform's window service (or the simulated CAD's).
  TForm2(AppPaths paths, cad::Desktop* desktop, QWidget* parent = nullptr);
  ~TForm2() override;  // FormDestroy

  void setTargetCadForm(cad::TTargetCADForm* form) { TargetCADForm = form; }
  void setRowEditForm(catalogue::TForm1* form) { Form1 = form; }

  // The target CAD, kept for the whole run.
  std::string& CadProgId() { return session_.CadProgId; }
  std::string& CadName() { return session_.CadName; }
  cad::Session& session() { return session_; }
  const AppPaths& paths() const { return paths_; }
  QString dataFile(const QString& name) const;

  // The caption rule: the title, then " [ ", the name and " ]".
  void setCaptionFor(const std::string& cadName);
  bool messageFilterRegistered() const { return filter_ && filter_->registered(); }
  // Runs a handler; an error that escapes it is shown as a message box and the program goes on.
  void runHandler(const std::function<void()>& handler);
  // A message box over the main window with the program's caption "TOVEK.exe".
  void showMessage(const QString& text);

  // cad::MainWindow
  void minimize() override;
  void restore() override;
  void bringToFront() override;

  QTabWidget* PageControl1;
  QWidget* TabSheet1;  // device frames
  QWidget* TabSheet4;  // switches, lamps, meters
  QWidget* TabSheet2;  // attribute editing
  QWidget* TabSheet3;  // summary
  QWidget* TabSheet5;  // layers
  QWidget* TabSheet7;  // CAD, alignment, others
  QWidget* TabSheet6;  // box (enclosures)
  QWidget* TabSheet8;  // block library
  QWidget* TabSheet9;  // mounting-plate layout

  StringGrid* StringGrid1;  // device catalogue
  StringGrid* StringGrid4;  // switch/lamp catalogue
  StringGrid* StringGrid2;  // attributes
  StringGrid* StringGrid3;  // summary
  StringGrid* StringGrid5;  // layers
  StringGrid* StringGrid6;  // enclosures

  // Page 0: device frames.
  QLineEdit* Edit1;                // search text
  QLineEdit* Edit6;                // device number
  QToolButton* SpeedButton1;       // "▲": device number up
  QToolButton* SpeedButton2;       // "▼": device number down
  QLineEdit* Edit2;                // model (TYPE)
  QLineEdit* Edit7;                // rating (SPEC)
  QLineEdit* Edit12;               // auxiliary (AUX1)
  QLineEdit* Edit3;                // W
  QLineEdit* Edit4;                // H
  QLineEdit* Edit5;                // D
  QLineEdit* Edit28;               // H2
  QLineEdit* Edit9;                // D2
  QLineEdit* Edit27;               // E: end allowance of a terminal block
  QLineEdit* Edit31;               // CUT code (hidden)
  QLineEdit* Edit23;               // dimension string (hidden)
  QCheckBox* CheckBox1;            // "端子台モード": terminal-block mode
  QLineEdit* Edit8;                // number of poles
  QCheckBox* CheckBox2;            // "配列モード": array mode
  QLineEdit* Edit10;               // frames in the row
  QLineEdit* Edit11;               // gap between frames
  QPushButton* Button2;            // "側面": side view
  QPushButton* Button1;            // "正面": place the front view
  QGroupBox* RadioGroup1;          // "正面基点": the frame's base point, items in a 3 by 3 grid
  QButtonGroup* RadioGroup1Items;  // its nine items by index (the base point code)
  QCheckBox* CheckBox8;            // "オフセット": offset of the base point
  QLineEdit* Edit49;               // offset distance
  QPushButton* Button10;           // "取付孔": mounting holes of a picked front view
  QPushButton* Button22;           // "TB仕切り作成": partitions of a picked terminal block

  // Page 1: switches, lamps, meters.
  QLineEdit* Edit13;          // search text
  QLineEdit* Edit18;          // device number
  QToolButton* SpeedButton3;  // "▲"
  QToolButton* SpeedButton4;  // "▼"
  QLineEdit* Edit14;          // model
  QLineEdit* Edit19;          // rating
  QLineEdit* Edit24;          // auxiliary (AUX1)
  QLineEdit* Edit15;          // W
  QLineEdit* Edit16;          // H
  QLineEdit* Edit20;          // D
  QLineEdit* Edit29;          // H2
  QLineEdit* Edit26;          // D2
  QLineEdit* Edit17;          // M: device kind
  QLineEdit* Edit25;          // dimension string (hidden)
  QLineEdit* Edit30;          // cut-out text (hidden)
  QCheckBox* CheckBox5;       // "銘板を付ける": attach a nameplate
  QCheckBox* CheckBox6;       // "配列モード": array mode
  QLineEdit* Edit21;          // count
  QLineEdit* Edit22;          // pitch
  QCheckBox* CheckBox7;       // "縦方向に複写": copy downwards
  QPushButton* Button6;       // "作成": create
  QPushButton* Button8;       // "側面": side view
  QLabel* Image1;             // the device's picture, 90 x 90

  // The row menu of both catalogue grids.
  QMenu* PopupMenu1;
  QAction* N1;    // "現在行を編集後、更新または追加"
  QAction* N3;    // "現在行を削除"
  int tgRow = 0;  // the catalogue row current when the row editor opened

  // Page 2: attribute editing.
  QPushButton* Button3;       // "取得": pick blocks and read their attributes
  QPushButton* Button4;       // "更新": write the grid back (enabled by a Get that found rows)
  QCheckBox* CheckBox9;       // "[Enter]で下へ↓": Enter moves down
  QCheckBox* CheckBox4;       // "[Enter] で更新": Enter writes the cell
  QLineEdit* Edit45;          // increment for "加算"
  QToolButton* SpeedButton5;  // "加算": add to the numbers of the selected cells
  QLineEdit* Edit46;          // text to replace
  QLineEdit* Edit47;          // replacement
  QToolButton* SpeedButton6;  // "置換": replace in the selected cells
  QLabel* Label34;            // the "^" hint

  // Page 3: summary.
  QPushButton* Button5;   // "取得": pick front views and count them
  QPushButton* Button29;  // "CSV保存": save the summary for a spreadsheet

  // Page 4: layers.
  QPushButton* Button20;  // "再取得": read the layer states again

  // Page 7: the block library.
  QComboBox* ComboBox2;          // registered folders, "title | folder", sorted
  QComboBox* DriveComboBox1;     // drives
  QTreeView* DirectoryListBox1;  // the folder tree of the drive
  QLineEdit* Edit48;             // file-name filter, "*" at start
  QListWidget* FileListBox1;     // the drawings of the folder matching the mask
  QLabel* Image2;                // the thumbnail, 225 x 229
  QLabel* Label33;               // the stored preview's size
  QPushButton* Button18;         // "挿入": insert
  QPushButton* Button19;         // "分解挿入": insert exploded
  QPushButton* Button17;         // "WBLOCK": write a picked block out
  QAction* N4;                   // "現フォルダを登録"
  QAction* N5;                   // "タイトルを編集"
  QAction* N6;                   // "登録を削除"
  library::TForm3* Form3 = nullptr;

  // Page 8: mounting-plate layout.
  QLabel* Label35;        // the enclosure chosen on the box page and its plate
  QLineEdit* Edit50;      // the device list file
  QPushButton* Button30;  // "参照": choose the device list
  QLineEdit* Edit51;      // duct width Dw
  QLineEdit* Edit52;      // gap g
  QLineEdit* Edit53;      // clearance c between devices and ducts
  QCheckBox* CheckBox10;  // "高さ順に詰める": fill rows tallest first
  QComboBox* ComboBox3;   // how the enclosure stands: "壁掛け" (wall), "自立" (free)
  QPushButton* Button31;  // "配置": lay out and draw the plate
  QPlainTextEdit* Memo1;  // what the layout asks: lengths, cutting plan, enclosure, heat

  // Page 5: CAD, alignment and script tools.
  QPushButton* Button28;  // "ターゲット CAD 選択": choose the target CAD
  QPushButton* Button11;  // one row, horizontal, by block
  QPushButton* Button13;  // one column, vertical, by block
  QPushButton* Button14;  // one row, horizontal, about a centre
  QPushButton* Button15;  // one column, vertical, about a centre
  QPushButton* Button7;   // one row spaced by the outlines
  QPushButton* Button21;  // grid layout script (pbal)
  QPushButton* Button16;  // join device numbers, blank NAME1 only
  QPushButton* Button9;   // join device numbers, every block
  QPushButton* Button23;  // wiresize script
  QPushButton* Button24;  // cdsize script
  QPushButton* Button25;  // swire script
  QPushButton* Button26;  // swinfo script

  // The box page.
  QComboBox* ComboBox1;   // enclosure family
  QLineEdit* Edit40;      // width filter
  QLineEdit* Edit41;      // height filter
  QLineEdit* Edit42;      // depth filter
  QCheckBox* CheckBox3;   // "両扉": double doors only
  QPushButton* Button27;  // "CAD": choose the target CAD
  QPushButton* Button12;  // "作成": draw the chosen enclosure
  QLineEdit* Edit32;      // model (read-only)
  QLineEdit* Edit33;      // door type (read-only)
  QLineEdit* Edit34;      // width (hidden)
  QLineEdit* Edit35;      // height (hidden)
  QLineEdit* Edit36;      // depth (hidden)
  QLineEdit* Edit37;      // mounting-plate width (hidden)
  QLineEdit* Edit38;      // mounting-plate height (hidden)
  QLineEdit* Edit39;      // usable depth (hidden)
  QLineEdit* Edit43;      // window width (hidden)
  QLineEdit* Edit44;      // window height (hidden)

  // Fills the grid from the catalogue file beside the executable with the records that match.
  void ReadTovekTxt(const QString& tabfileName, const QString& maskStr, StringGrid* sg);
  // The catalogue of the current page: page 0 the frames, any other the panel devices.
  struct PageCatalogue {
    QString file;
    StringGrid* grid;
    QLineEdit* search;
  };
  PageCatalogue pageCatalogue() const;
  std::string catalogueFilePath(const QString& name) const { return dataFile(name).toStdString(); }
  const catalogue::LineSorter& catalogueSorter() const { return catalogues_.sorter(); }
  // After QARN rewrote a catalogue: reload its page's grid and go back to `row` if it exists.
  void reloadCatalogue(const PageCatalogue& c, int row);

  // Handlers.
  void Edit1Change();
  void Edit13Change();
  void StringGrid1Click();
  void StringGrid4Click();
  void Edit6Change();
  void Edit18Change();
  void SpeedButton1Click(int step);  // ▲ +1, ▼ -1
  void SpeedButton3Click(int step);
  void Edit5Change();
  void CheckBox1Click();
  void CheckBox2Click();
  int RadioGroup1ItemIndex() const;
  void RadioGroup1Click();
  void CheckBox8Click();
  void Button1Click();
  void Button6Click();    // "作成" of the panel devices
  void DrawTovekImage();  // the chosen panel device's picture in Image1
  void Button8Click();    // both "側面" buttons
  void Button10Click();
  void Button22Click();
  void CheckBox5Click();
  void CheckBox6Click();
  void N1Click();
  void N3Click();
  void FormCreate();
  void FormClose();
  void Button28Click();
  void ComboBox1Change();
  void Edit40Change();
  void CheckBox3Click();
  void StringGrid6Click();
  void Button12Click();
  void Button11Click(QPushButton* sender);  // Button11, 13, 14 and 15
  void Button7Click();
  void Button21Click();
  void Button9Click(QPushButton* sender);   // Button9 and Button16
  void Button23Click(QPushButton* sender);  // Button23 to Button26
  // The executable's folder as the CAD's scripts are found in it, with its trailing separator.
  std::string scriptFolder() const;
  // The block library.
  QString libraryFolder() const { return libraryFolder_; }
  void setLibraryFolder(const QString& folder);  // the folder tree's current folder
  void ComboBox2Change();
  void N4Click();
  void N5Click();
  void N6Click();
  void Form3Button1Click();
  void DirectoryListBox1Change();
  void Edit48Change();
  void FileListBox1Change();
  void Button18Click(QPushButton* sender);  // Button18 and Button19; a double click is Button18
  void Button17Click();
  // A Yes/No question over the main window with the caption "TOVEK.exe".
  bool askYesNo(const QString& text);
  void Button30Click();
  void Button31Click();
  void showPlateEnclosure();  // Label35 from the box page's fields
  // Where "参照" finds the device list; a file dialog unless a test says otherwise.
  std::function<QString()> askListPath;
  void Button3Click();
  void Button4Click();
  void StringGrid2KeyPress(QChar key);
  void StringGrid2Click(int col, int row);
  bool StringGrid2KeyDown(inspect::GridKey key);  // true when the key was used
  void SpeedButton5Click();
  void SpeedButton6Click();
  void Button5Click();
  void Button29Click();
  bool StringGrid3KeyDown(inspect::GridKey key);
  void PageControl1Change();
  void StringGrid5MouseDown(int col, int row);
  void StringGrid5KeyDown(int key);
  // Where "CSV保存" saves; a save-file dialog unless a test says otherwise. Empty: cancelled.
  std::function<QString()> askCsvPath;
  // Asked before the window closes (the drawings of the simulated CAD); false keeps it open.
  std::function<bool()> mayClose;

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildPages();
  QWidget* buildDeviceFramePage();              // catalogue/catalogue_pages.cpp
  QWidget* buildPanelDevicePage();              // catalogue/catalogue_pages.cpp
  QWidget* buildFramePlacement(QWidget* page);  // frames/frames_page.cpp
  QWidget* buildAttributePage();                // inspect/inspect_pages.cpp
  QWidget* buildSummaryPage();                  // inspect/inspect_pages.cpp
  QWidget* buildLayerPage();                    // inspect/inspect_pages.cpp
  QWidget* buildToolsPage();                    // tools/tools_page.cpp
  QWidget* buildBoxPage();                      // enclosure/box_page.cpp
  QWidget* buildPlatePage();                    // plate/plate_page.cpp
  QWidget* buildLibraryPage();                  // library/library_page.cpp
  void setUpGrids();
  void placeWindow(std::optional<int> left, std::optional<int> top);
  QPoint savedPosition() const;  // the client area's top left, as placeWindow takes it
  void emptyDeviceFields(StringGrid* sg);
  QMenu* buildRowMenu();

  AppPaths paths_;
  cad::Session session_;
  std::unique_ptr<cad::TMessageFilter> filter_;
  cad::TTargetCADForm* TargetCADForm = nullptr;
  catalogue::TForm1* Form1 = nullptr;
  catalogue::CatalogueCache catalogues_;
  std::shared_ptr<const catalogue::WidthCache> widths_[2];  // frames, panel devices
  bool closed_ = false;
  inspect::AttributeGrid attributes_;  // what StringGrid2 was read from
  QString libraryFolder_;
  void fillFileList();
  void saveLibraryFolders();
  inspect::LayerTable layers_;  // the states StringGrid5 shows
  void showLayerTable();
};

}  // namespace qarn::app
