#include "platform/commondialog.h"

#include "platform/dospaths.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

// "INI Files|*.INI|All files|*.*" as Qt's name filters. "*.*" stands for every file, also one
// without a dot. Qt's own dialog matches the patterns whatever the case of the name, as they
// are matched where such filters come from (its filter holds no QDir::CaseSensitive).
QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

}

CommonDialog::CommonDialog(QWidget *window, const DosPaths &paths)
    : QObject(window), m_window(window), m_paths(paths)
{
    setObjectName(QStringLiteral("CommonDialog1"));
}

bool CommonDialog::ShowOpen()
{
    return showFileDialog(false);
}

bool CommonDialog::ShowSave()
{
    return showFileDialog(true);
}

// The dialog's behaviour comes from the settings it finds, whichever command shows it.
bool CommonDialog::showFileDialog(bool save)
{
    QFileDialog dialog(m_window);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((Flags & FileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & OverwritePrompt));
    dialog.setDefaultSuffix(DefaultExt);
    dialog.setNameFilters(nameFilters(Filter));
    if (!FileName.isEmpty()) {
        const QFileInfo offered(m_paths.resolve(FileName));
        if (offered.isAbsolute())
            dialog.setDirectory(offered.absolutePath());
        dialog.selectFile(offered.fileName());
    }

    if (dialog.exec() != QDialog::Accepted) {
        if (CancelError)
            throw CommonDialogCancel();
        return false;
    }
    FileName = dialog.selectedFiles().value(0);
    return true;
}
