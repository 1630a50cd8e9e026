#include "app/main_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/settings_file.h"
#include "cad/target_cad_form.h"
#include "cad/target_cad_list.h"
#include "cad/text_file.h"
#include "catalogue/catalogue_rows.h"
#include "catalogue/user_collation.h"
#include "inspect/summary.h"
#include "widgets/japanese_qt.h"

namespace qarn::app {

AppPaths AppPaths::forExecutable(const QString& executablePath) {
  QFileInfo exe(executablePath);
  AppPaths p;
  p.folder = exe.absolutePath();
  QString base = exe.suffix().isEmpty() ? exe.absoluteFilePath()
                                        : exe.absolutePath() + "/" + exe.completeBaseName();
  p.settingsFile = base + ".ini";
  return p;
}

TForm2::TForm2(AppPaths paths, cad::Desktop* desktop, QWidget* parent)
    : QWidget(parent), paths_(std::move(paths)), catalogues_(catalogue::userCollationSorter()) {
  setObjectName("TForm2");
  widgets::installJapaneseToolkitTexts();  // its Yes/No boxes and file dialogs
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  session_.desktop = desktop;
  session_.mainWindow = this;
  buildPages();
  // The client area is 573 x 353, made wider where the tabs' captions need it: every page's tab
  // shows at the start, none is scrolled out of sight.
  resize(std::max(573, PageControl1->tabBar()->sizeHint().width() + 8), 353);
  FormCreate();
}

TForm2::~TForm2() {
  // FormDestroy: the filter registered before ours comes back.
  if (filter_) filter_->RevokeFilter();
}

QString TForm2::dataFile(const QString& name) const {
  return QDir(paths_.folder).filePath(name);
}

void TForm2::buildPages() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(PageControl1);

  struct Page {
    QWidget* (TForm2::*build)();
    QWidget** member;
    const char* name;
    const char* caption;
  };
  const Page pages[] = {
      {&TForm2::buildDeviceFramePage, &TabSheet1, "TabSheet1", "機器枠"},
      {&TForm2::buildPanelDevicePage, &TabSheet4, "TabSheet4",
       "スイッチ、表示灯、電流計、調節計..."},
      {&TForm2::buildAttributePage, &TabSheet2, "TabSheet2", "属性編集"},
      {&TForm2::buildSummaryPage, &TabSheet3, "TabSheet3", " 集計"},
      {&TForm2::buildLayerPage, &TabSheet5, "TabSheet5", "画層"},
      {&TForm2::buildToolsPage, &TabSheet7, "TabSheet7", "CAD、整列 ... 他"},
      {&TForm2::buildBoxPage, &TabSheet6, "TabSheet6", "ボックス"},
      {&TForm2::buildLibraryPage, &TabSheet8, "TabSheet8", "ブロック"},
      {&TForm2::buildPlatePage, &TabSheet9, "TabSheet9", "盤レイアウト"},
  };
  for (const Page& p : pages) {
    QWidget* w = (this->*p.build)();
    w->setObjectName(p.name);
    *p.member = w;
    PageControl1->addTab(w, QString::fromUtf8(p.caption));
  }
  // Every page shows its tab; the window opens on the box page.
  PageControl1->setCurrentIndex(6);
  connect(PageControl1, &QTabWidget::currentChanged, this,
          [this] { runHandler([this] { PageControl1Change(); }); });
}

void TForm2::FormCreate() {
  session_.CadProgId = cad::kDefaultCadProgId;
  session_.CadName = cad::kDefaultCadName;
  Settings s =
      readSettings(paths_.settingsFile.toStdString(), session_.CadProgId, session_.CadName);
  placeWindow(s.left, s.top);
  session_.CadProgId = s.progId;
  session_.CadName = s.name;
  setCaptionFor(session_.CadName);

  setUpGrids();
  runHandler([this] { ComboBox1Change(); });

  runHandler([this] {
    auto list = cad::readTextFile(dataFile(cad::kTargetCadListFile).toStdString());
    if (!list) return;
    if (auto name = cadNameFromList(list->lines, session_.CadProgId)) setCaptionFor(*name);
  });

  filter_ = cad::TMessageFilter::create();
  filter_->RegisterFilter();
}

void TForm2::placeWindow(std::optional<int> left, std::optional<int> top) {
  QScreen* primary = QGuiApplication::primaryScreen();
  QRect screen = primary ? primary->geometry() : QRect(0, 0, 1024, 768);
  QSize client = size();
  int x = left.value_or((screen.width() - client.width()) / 2);
  int y = top.value_or((screen.height() - client.height()) / 2);
  // A position saved on a monitor that is gone would leave the window out of reach: centre it.
  // On a monitor that is there, the whole window is brought onto it.
  QRect wanted(x, y, client.width(), client.height());
  auto overlap = [&](QScreen* s) {
    QRect common = s->geometry() & wanted;
    return common.isEmpty() ? 0LL : 1LL * common.width() * common.height();
  };
  QScreen* on = nullptr;
  for (QScreen* s : QGuiApplication::screens())
    if (overlap(s) > 0 && (!on || overlap(s) > overlap(on))) on = s;
  if (!on) {
    x = (screen.width() - client.width()) / 2;
    y = (screen.height() - client.height()) / 2;
  } else {
    QRect room = on->availableGeometry();
    x = std::max(room.left(), std::min(x, room.right() + 1 - client.width()));
    y = std::max(room.top(), std::min(y, room.bottom() + 1 - client.height()));
  }
  // Left and Top are the client area's, as written at close: a window frame, whose size is known
  // only once the window manager has framed it, never moves the window between runs.
  setGeometry(x, y, client.width(), client.height());
}

QPoint TForm2::savedPosition() const {
  QRect r = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
  return r.topLeft();
}

void TForm2::FormClose() {
  if (closed_) return;
  closed_ = true;
  try {
    QPoint at = savedPosition();
    writeSettings(paths_.settingsFile.toStdString(), at.x(), at.y(), session_.CadProgId,
                  session_.CadName);
  } catch (const std::exception& e) {
    showMessage(QString::fromUtf8(kSettingsNotSaved) + "\n" + QString::fromUtf8(e.what()));
  }
}

void TForm2::closeEvent(QCloseEvent* e) {
  if (!closed_ && mayClose && !mayClose()) {
    e->ignore();
    return;
  }
  FormClose();
  e->accept();
}

void TForm2::setCaptionFor(const std::string& cadName) {
  setWindowTitle(QString::fromStdString(captionFor(cadName)));
}

void TForm2::runHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kAppTitle),
                    QString::fromUtf8(e.what()), QMessageBox::Ok, this);
    box.setObjectName("ErrorReport");
    box.exec();
  }
}

void TForm2::showMessage(const QString& text) {
  QMessageBox box(QMessageBox::Information, "TOVEK.exe", text, QMessageBox::Ok, this);
  box.exec();
}

void TForm2::minimize() {
  showMinimized();
}

void TForm2::restore() {
  showNormal();
}

void TForm2::bringToFront() {
  raise();
  activateWindow();
}

void TForm2::setUpGrids() {
  const char* catalogueHeaders[15] = {"No",   "名称", "型番", "仕様・備考", "メーカ",
                                      "メモ", "W",    "H",    "D",          "H2",
                                      "D2",   "E",    "AUX1", "AUX2",       "CUT"};
  const int catalogueWidths[15] = {35, 120, 120, 180, 60,  200, 40, 40,
                                   40, 40,  40,  40,  100, 100, 100};
  for (StringGrid* g : {StringGrid1, StringGrid4}) {
    g->setColCount(15);
    for (int c = 0; c < 15; ++c) {
      g->setCell(c, 0, QString::fromUtf8(catalogueHeaders[c]));
      g->setColWidth(c, catalogueWidths[c]);
    }
    g->setFixedCols(3);
    g->setRowSelect(true);
  }
  StringGrid4->setCell(11, 0, "M");

  StringGrid2->setColCount(inspect::kAttributeColumns);
  for (int c = 0; c < inspect::kAttributeColumns; ++c) {
    StringGrid2->setCell(c, 0, inspect::kAttributeHeaders[c]);
    if (c >= 6) StringGrid2->setColWidth(c, -1);
  }
  StringGrid2->fitColumns();

  const int summaryWidths[7] = {35, 130, 170, 80, 50, -1, -1};
  StringGrid3->setColCount(inspect::kSummaryColumns);
  for (int c = 0; c < inspect::kSummaryColumns; ++c) {
    if (c < 5) StringGrid3->setCell(c, 0, QString::fromUtf8(inspect::kSummaryHeaders[c]));
    StringGrid3->setColWidth(c, summaryWidths[c]);
  }

  StringGrid5->setColCount(7);
  StringGrid5->setRowCount(10);
  for (int c = 0; c < 6; ++c)
    StringGrid5->setCell(c, 0, QString::fromUtf8(inspect::kLayerHeaders[c]));
  StringGrid5->setColWidth(0, 200);
  StringGrid5->setColWidth(1, 200);
  StringGrid5->setColWidth(6, -1);
  // The nine device layers, as the device frames make them.
  for (int r = 0; r < static_cast<int>(layers_.rows.size()); ++r) {
    StringGrid5->setCell(0, r + 1, QString::fromStdString(layers_.rows[r].name));
    StringGrid5->setCell(1, r + 1, QString::fromStdString(layers_.rows[r].label));
  }
  StringGrid5->fitColumns();

  StringGrid6->setColWidth(0, 40);
  StringGrid6->setColWidth(1, 100);
}

void TForm2::Button28Click() {
  if (!TargetCADForm) return;
  TargetCADForm->CurrentProgId = session_.CadProgId;
  // The modal dialog must not hide behind the always-on-top main window.
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  show();
  TargetCADForm->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (TargetCADForm->exec() == QDialog::Accepted) {
    session_.CadProgId = TargetCADForm->Edit2->text().toStdString();
    session_.CadName = TargetCADForm->Edit1->text().toStdString();
    setCaptionFor(session_.CadName);
  }
  TargetCADForm->setWindowFlag(Qt::WindowStaysOnTopHint, false);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  show();
}

}  // namespace qarn::app
