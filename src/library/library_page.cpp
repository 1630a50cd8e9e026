// The block library page "ブロック": registered folders, the drive, folder and file lists, the
// thumbnail of the chosen drawing, and the insert and WBLOCK commands.
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/settings_file.h"
#include "cad/sim/sim_desktop.h"
#include "library/folder_dialog.h"
#include "library/folder_registry.h"
#include "library/geometry_thumbnail.h"
#include "library/library_commands.h"
#include "library/thumbnail.h"
#include "widgets/named_button.h"

namespace qarn::app {

namespace {

QStringList registryItems(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i)
    items << box->itemText(i);
  return items;
}

void showItems(QComboBox* box, const std::vector<std::string>& items, int select) {
  box->blockSignals(true);
  box->clear();
  for (const std::string& item : items)
    box->addItem(QString::fromStdString(item));
  box->setCurrentIndex(select);
  box->blockSignals(false);
}

library::FolderRegistry registryOf(const QComboBox* box) {
  library::FolderRegistry r;
  std::vector<std::string> items;
  for (const QString& i : registryItems(box))
    items.push_back(i.toStdString());
  r.setItems(items);
  return r;
}

}  // namespace

QWidget* TForm2::buildLibraryPage() {
  auto* page = new QWidget;
  ComboBox2 = new QComboBox(page);
  ComboBox2->setObjectName("ComboBox2");
  ComboBox2->setContextMenuPolicy(Qt::ActionsContextMenu);
  N5 = new QAction(QString::fromUtf8("タイトルを編集"), ComboBox2);
  N6 = new QAction(QString::fromUtf8("登録を削除"), ComboBox2);
  ComboBox2->addAction(N5);
  ComboBox2->addAction(N6);

  DriveComboBox1 = new QComboBox(page);
  DriveComboBox1->setObjectName("DriveComboBox1");
  for (const QFileInfo& d : QDir::drives())
    DriveComboBox1->addItem(QDir::toNativeSeparators(d.absoluteFilePath()));

  auto* dirs = new QFileSystemModel(page);
  dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  dirs->setRootPath(QDir::rootPath());
  DirectoryListBox1 = new QTreeView(page);
  DirectoryListBox1->setObjectName("DirectoryListBox1");
  DirectoryListBox1->setModel(dirs);
  for (int c = 1; c < dirs->columnCount(); ++c)
    DirectoryListBox1->hideColumn(c);
  DirectoryListBox1->setHeaderHidden(true);
  DirectoryListBox1->setContextMenuPolicy(Qt::ActionsContextMenu);
  N4 = new QAction(QString::fromUtf8("現フォルダを登録"), DirectoryListBox1);
  DirectoryListBox1->addAction(N4);

  Edit48 = new QLineEdit("*", page);
  Edit48->setObjectName("Edit48");
  FileListBox1 = new QListWidget(page);
  FileListBox1->setObjectName("FileListBox1");
  Image2 = new QLabel(page);
  Image2->setObjectName("Image2");
  Image2->setFixedSize(225, 229);
  Image2->setAlignment(Qt::AlignCenter);
  Label33 = new QLabel(page);
  Label33->setObjectName("Label33");
  Button18 = widgets::namedButton(page, "Button18", "挿入");
  Button19 = widgets::namedButton(page, "Button19", "分解挿入");
  Button17 = widgets::namedButton(page, "Button17", "WBLOCK");

  auto* left = new QVBoxLayout;
  left->addWidget(DriveComboBox1);
  left->addWidget(DirectoryListBox1);
  auto* middle = new QVBoxLayout;
  middle->addWidget(Edit48);
  middle->addWidget(FileListBox1);
  auto* right = new QVBoxLayout;
  right->addWidget(Image2);
  right->addWidget(Label33);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button18);
  buttons->addWidget(Button19);
  buttons->addWidget(Button17);
  right->addLayout(buttons);
  right->addStretch();
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 2);
  lists->addLayout(middle, 2);
  lists->addLayout(right);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addWidget(ComboBox2);
  layout->addLayout(lists);

  Form3 = new library::TForm3(this);
  Form3->Button1Click = [this] { runHandler([this] { Form3Button1Click(); }); };

  auto handle = [this](void (TForm2::*f)()) {
    return [this, f] { runHandler([this, f] { (this->*f)(); }); };
  };
  connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, handle(&TForm2::ComboBox2Change));
  connect(N4, &QAction::triggered, this, handle(&TForm2::N4Click));
  connect(N5, &QAction::triggered, this, handle(&TForm2::N5Click));
  connect(N6, &QAction::triggered, this, handle(&TForm2::N6Click));
  connect(DriveComboBox1, &QComboBox::textActivated, this,
          [this](const QString& drive) { runHandler([=, this] { setLibraryFolder(drive); }); });
  connect(DirectoryListBox1, &QTreeView::clicked, this, [this, dirs](const QModelIndex& i) {
    runHandler([=, this] { setLibraryFolder(dirs->filePath(i)); });
  });
  connect(Edit48, &QLineEdit::textChanged, this, handle(&TForm2::Edit48Change));
  connect(FileListBox1, &QListWidget::currentRowChanged, this, handle(&TForm2::FileListBox1Change));
  connect(FileListBox1, &QListWidget::itemDoubleClicked, this,
          [this] { runHandler([this] { Button18Click(Button18); }); });
  connect(Button18, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button18Click(Button18); }); });
  connect(Button19, &QPushButton::clicked, this,
          [this] { runHandler([this] { Button18Click(Button19); }); });
  connect(Button17, &QPushButton::clicked, this, handle(&TForm2::Button17Click));

  // The folders registered in an earlier run come back.
  std::vector<std::string> saved = readLibraryFolders(paths().settingsFile.toStdString());
  library::FolderRegistry r;
  r.setItems(saved);
  showItems(ComboBox2, r.items(), -1);
  setLibraryFolder(QDir::homePath());
  return page;
}

bool TForm2::askYesNo(const QString& text) {
  QMessageBox ask(QMessageBox::Question, "TOVEK.exe", text, QMessageBox::Yes | QMessageBox::No,
                  this);
  return ask.exec() == QMessageBox::Yes;
}

void TForm2::saveLibraryFolders() {
  std::vector<std::string> items;
  for (const QString& i : registryItems(ComboBox2))
    items.push_back(i.toStdString());
  try {
    writeLibraryFolders(paths().settingsFile.toStdString(), items);
  } catch (const std::exception& e) {
    showMessage(QString::fromUtf8("設定を保存できません: ") + QString::fromUtf8(e.what()));
  }
}

void TForm2::setLibraryFolder(const QString& folder) {
  libraryFolder_ = QDir::toNativeSeparators(folder);
  if (auto* dirs = qobject_cast<QFileSystemModel*>(DirectoryListBox1->model()))
    DirectoryListBox1->setCurrentIndex(dirs->index(folder));
  DirectoryListBox1Change();
}

void TForm2::ComboBox2Change() {
  auto reg = library::splitItem(ComboBox2->currentText().toStdString());
  if (!reg) return;
  QString folder = QString::fromStdString(reg->folder);
  if (!QFileInfo(folder).isDir()) {
    // Centred on the screen, as the folder list stays where it was.
    QMessageBox box(QMessageBox::Information, "TOVEK.exe",
                    folder + "\n" + QString::fromUtf8(library::kNotFound), QMessageBox::Ok);
    box.exec();
    return;
  }
  setLibraryFolder(folder);
}

void TForm2::N4Click() {
  Form3->Edit1->setText(libraryFolder_);
  Form3->setWindowTitle(QString::fromUtf8("フォルダの登録"));
  Form3->Button1->setText(QString::fromUtf8("登録"));
  Form3->show();
}

void TForm2::N5Click() {
  if (ComboBox2->currentIndex() < 0) return;
  auto reg = library::splitItem(ComboBox2->currentText().toStdString());
  if (!reg) return;
  Form3->Edit1->setText(QString::fromStdString(reg->folder));
  Form3->Edit2->setText(QString::fromStdString(reg->title));
  Form3->setWindowTitle(QString::fromUtf8("タイトルの編集"));
  Form3->Button1->setText(QString::fromUtf8("更新"));
  Form3->show();
}

void TForm2::N6Click() {
  int i = ComboBox2->currentIndex();
  if (i < 0) return;
  if (!askYesNo(QString::fromUtf8(library::kAskDelete))) return;
  ComboBox2->removeItem(i);
  saveLibraryFolders();
}

void TForm2::Form3Button1Click() {
  // A "|" in the title would end the title at the wrong place when the item is read back.
  if (Form3->Edit2->text().contains('|')) {
    showMessage(QString::fromUtf8(library::kBarInTitle));
    return;
  }
  std::string item =
      library::registryItem(Form3->Edit2->text().toStdString(), Form3->Edit1->text().toStdString());
  library::FolderRegistry r = registryOf(ComboBox2);
  int select;
  if (Form3->Button1->text() == QString::fromUtf8("更新")) {
    if (!askYesNo(QString::fromUtf8(library::kAskUpdate))) return;
    int current = r.indexOf(ComboBox2->currentText().toStdString());
    select = r.replace(current, item);
  } else {
    if (!askYesNo(QString::fromUtf8(library::kAskRegister))) return;
    if (r.contains(item) && !askYesNo(QString::fromUtf8(library::kAskDuplicate))) return;
    select = r.add(item);
  }
  showItems(ComboBox2, r.items(), select);
  saveLibraryFolders();
  Form3->close();
}

void TForm2::DirectoryListBox1Change() {
  Edit48->blockSignals(true);
  Edit48->setText("*");
  Edit48->blockSignals(false);
  Image2->clear();
  Label33->clear();
  fillFileList();
}

void TForm2::Edit48Change() {
  fillFileList();
}

void TForm2::fillFileList() {
  // The simulated CAD, whose desktop the session drives, inserts DXF drawings as well.
  bool simulated = dynamic_cast<cad::sim::SimDesktop*>(session().desktop) != nullptr;
  QStringList masks;
  for (const std::string& m : library::fileMasks(Edit48->text().toStdString(), simulated))
    masks << QString::fromStdString(m);
  FileListBox1->blockSignals(true);
  FileListBox1->clear();
  QDir dir(libraryFolder_);
  for (const QString& f : dir.entryList(masks, QDir::Files, QDir::Name | QDir::IgnoreCase))
    FileListBox1->addItem(f);
  FileListBox1->setCurrentRow(-1);
  FileListBox1->blockSignals(false);
}

void TForm2::FileListBox1Change() {
  Label33->clear();
  QListWidgetItem* item = FileListBox1->currentItem();
  if (!item) return;
  std::string path = QDir(libraryFolder_).filePath(item->text()).toStdString();
  library::Thumbnail t = library::ShowDwgThumbnail(path, 225, 229, 0x000000, true);
  // A drawing that stores no preview, but can be read as DXF, is drawn from its geometry.
  if (t.kind == library::DwgPreview::Kind::None)
    if (auto drawn = library::geometryThumbnail(path, 225, 229, 0x000000))
      t.box = std::move(*drawn);
  const library::Picture& p = t.box;
  QImage img(p.bgr.data(), p.width, p.height, p.width * 3, QImage::Format_BGR888);
  Image2->setPixmap(QPixmap::fromImage(img.copy()));
  // A drawing without a preview shows no size.
  if (t.storedWidth > 0 && t.storedHeight > 0)
    Label33->setText(QString("%1 x %2").arg(t.storedWidth).arg(t.storedHeight));
}

void TForm2::Button18Click(QPushButton* sender) {
  QListWidgetItem* item = FileListBox1->currentItem();
  if (!item) return;
  std::string path =
      QDir::toNativeSeparators(QDir(libraryFolder_).filePath(item->text())).toStdString();
  library::Button18Click(session(), path, sender == Button19);
}

void TForm2::Button17Click() {
  library::ExportResult r = library::Button17Click(session(), libraryFolder_.toStdString(), [this] {
    return askYesNo(QString::fromUtf8(library::kAskOverwrite));
  });
  if (!r.message.empty()) {
    showMessage(QString::fromStdString(r.message));
    return;
  }
  DirectoryListBox1Change();
  FileListBox1Change();
}

}  // namespace qarn::app
