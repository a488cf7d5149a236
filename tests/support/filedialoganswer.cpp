#include "filedialoganswer.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

FileDialogAnswer::FileDialogAnswer(const QString &fileName)
    : ModalWatcher(ofType<QFileDialog>(), [this, fileName](QWidget *modal) {
          auto *dialog = static_cast<QFileDialog *>(modal);
          auto *nameBox = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
          m_seen.title = dialog->windowTitle();
          m_seen.directory = dialog->directory().absolutePath();
          m_seen.fileName = nameBox ? nameBox->text() : QString();
          m_seen.nameFilters = dialog->nameFilters();
          m_seen.defaultSuffix = dialog->defaultSuffix();
          m_seen.acceptMode = dialog->acceptMode();
          m_seen.fileMode = dialog->fileMode();
          m_seen.confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
          m_seen.native = !dialog->testOption(QFileDialog::DontUseNativeDialog);

          // Let the folder's listing arrive (it comes in pieces, from a thread): read what the
          // dialog shows once the count has held for 100 ms, or after a second.
          auto *list = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
          for (int i = 0, count = -1, held = 0; list && i < 50 && held < 5; ++i) {
              QTest::qWait(20);
              const int now = list->model()->rowCount(list->rootIndex());
              held = now > 0 && now == count ? held + 1 : 0;
              count = now;
          }
          if (list) {
              const QModelIndex root = list->rootIndex();
              for (int row = 0; row < list->model()->rowCount(root); ++row) {
                  // Names the filter leaves out may still be listed, greyed.
                  const QModelIndex item = list->model()->index(row, 0, root);
                  if (item.flags() & Qt::ItemIsEnabled)
                      m_seen.listed << item.data().toString();
              }
              m_seen.listed.sort();
          }

          if (fileName.isEmpty()) {
              auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
              buttons->button(QDialogButtonBox::Cancel)->click();
              return;
          }
          // Entered with the focus in the box, as a user types: the dialog then lets go of the
          // file it had selected in its list. (Any characters, also a newline.)
          dialog->activateWindow();
          (void)QTest::qWaitForWindowActive(dialog);
          nameBox->setFocus();
          nameBox->setText(fileName);
          QTest::keyClick(nameBox, Qt::Key_Return);
      })
{
}
