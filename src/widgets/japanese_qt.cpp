#include "widgets/japanese_qt.h"

#include <QApplication>
#include <QPointer>
#include <QTranslator>
#include <cstring>

namespace qarn::widgets {

namespace {

struct Text {
  const char* context;
  const char* source;
  const char* japanese;
};

const Text kTexts[] = {
    {"QPlatformTheme", "OK", "OK"},
    {"QPlatformTheme", "Save", "保存"},
    {"QPlatformTheme", "Save All", "すべて保存"},
    {"QPlatformTheme", "Open", "開く"},
    {"QPlatformTheme", "&Yes", "はい(&Y)"},
    {"QPlatformTheme", "Yes to &All", "すべてはい(&A)"},
    {"QPlatformTheme", "&No", "いいえ(&N)"},
    {"QPlatformTheme", "N&o to All", "すべていいえ(&O)"},
    {"QPlatformTheme", "Abort", "中止"},
    {"QPlatformTheme", "Retry", "再試行"},
    {"QPlatformTheme", "Ignore", "無視"},
    {"QPlatformTheme", "Close", "閉じる"},
    {"QPlatformTheme", "Cancel", "キャンセル"},
    {"QPlatformTheme", "Discard", "破棄"},
    {"QPlatformTheme", "Help", "ヘルプ"},
    {"QPlatformTheme", "Apply", "適用"},
    {"QPlatformTheme", "Reset", "リセット"},
    {"QPlatformTheme", "Restore Defaults", "既定値に戻す"},
    {"QFileDialog", "Look in:", "ファイルの場所:"},
    {"QFileDialog", "File &name:", "ファイル名(&N):"},
    {"QFileDialog", "Files of type:", "ファイルの種類:"},
    {"QFileDialog", "Directory:", "フォルダー:"},
    {"QFileDialog", "&Open", "開く(&O)"},
    {"QFileDialog", "&Save", "保存(&S)"},
    {"QFileDialog", "&Choose", "選択(&C)"},
    {"QFileDialog", "Open", "開く"},
    {"QFileDialog", "Save As", "名前を付けて保存"},
    {"QFileDialog", "Back", "戻る"},
    {"QFileDialog", "Forward", "進む"},
    {"QFileDialog", "Parent Directory", "1 つ上のフォルダー"},
    {"QFileDialog", "Create New Folder", "新しいフォルダーの作成"},
    {"QFileDialog", "List View", "一覧"},
    {"QFileDialog", "Detail View", "詳細"},
    {"QFileDialog", "New Folder", "新しいフォルダー"},
    {"QFileDialog", "&New Folder", "新しいフォルダー(&N)"},
    {"QFileDialog", "&Rename", "名前の変更(&R)"},
    {"QFileDialog", "&Delete", "削除(&D)"},
    {"QFileDialog", "Delete", "削除"},
    {"QFileDialog", "Show &hidden files", "隠しファイルを表示(&H)"},
    {"QFileDialog", "All Files (*)", "すべてのファイル (*)"},
    {"QFileDialog", "Recent Places", "最近使った場所"},
    {"QFileDialog", "Sidebar", "サイドバー"},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 は既に存在します。\n置き換えますか?"},
    {"QFileDialog", "Are you sure you want to delete '%1'?", "'%1' を削除しますか?"},
    {"QFileSystemModel", "Name", "名前"},
    {"QFileSystemModel", "Size", "サイズ"},
    {"QFileSystemModel", "Type", "種類"},
    {"QFileSystemModel", "Kind", "種類"},
    {"QFileSystemModel", "Date Modified", "更新日時"},
    {"QFileSystemModel", "Computer", "コンピューター"},
};

class JapaneseToolkitTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char* disambiguation,
                    int n) const override {
    if (!context || !source) return {};
    for (const Text& t : kTexts)
      if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, source) == 0)
        return QString::fromUtf8(t.japanese);
    return {};
  }
};

}  // namespace

void installJapaneseToolkitTexts() {
  static QPointer<JapaneseToolkitTexts> installed;
  if (installed || !qApp) return;
  installed = new JapaneseToolkitTexts(qApp);
  QCoreApplication::installTranslator(installed);
}

}  // namespace qarn::widgets
