#include "platform/commondialog.h"

#include "platform/dospaths.h"
#include "platform/helpviewer.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QSettings>

#include <algorithm>

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
    : QObject(window), m_window(window), m_paths(paths), m_helpFolders(HelpViewer::defaultFolders())
{
    setObjectName(QStringLiteral("CommonDialog1"));
    // Qt's file and colour dialogs keep their history, last folder and custom colours in a
    // settings file of Qt's own, read again at the next run. The program writes nothing but
    // the documents the user saves: the user's settings of Qt are looked for in a folder that
    // cannot exist, so none are read and none are written.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

CommonDialog::~CommonDialog() = default;

void CommonDialog::setHelpHandler(HelpHandler handler)
{
    m_helpHandler = std::move(handler);
}

void CommonDialog::setHelpFolders(const QStringList &folders)
{
    m_helpFolders = folders;
}

void CommonDialog::ShowHelp()
{
    const QString file = m_paths.resolve(HelpFile);
    if (m_helpHandler) {
        m_helpHandler(file, HelpCommand);
        return;
    }
    if (!m_helpViewer)
        m_helpViewer = std::make_unique<HelpViewer>(m_helpFolders);
    m_helpViewer->show(file, HelpCommand);
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
        // A name this dialog returned is a Linux path; any other is one of the program's DOS
        // paths (a quick-load's), found as the old platform found it.
        const QFileInfo offered(FileName == m_chosenFileName ? FileName : m_paths.resolve(FileName));
        if (offered.isAbsolute())
            dialog.setDirectory(offered.absolutePath());
        dialog.selectFile(offered.fileName());
    }

    if (dialog.exec() != QDialog::Accepted)
        return cancelled();
    FileName = dialog.selectedFiles().value(0);
    m_chosenFileName = FileName;
    return true;
}

bool CommonDialog::cancelled()
{
    if (CancelError)
        throw CommonDialogCancel();
    return false;
}

bool CommonDialog::ShowFont()
{
    QFont initial = m_window ? m_window->font() : QFont();
    if (!FontName.isEmpty()) {
        initial.setFamilies({FontName});
        initial.setBold(FontBold);
        initial.setItalic(FontItalic);
        if (FontSize > 0)
            initial.setPointSizeF(FontSize);
    }
    QFontDialog dialog(initial, m_window);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!(Flags & FontEffects)) {
        // Qt's dialog has no option for it: its effects group (the one with check boxes for
        // strikeout and underline) is hidden instead.
        // The sample beside it took its height from it: it keeps that height.
        const auto groups = dialog.findChildren<QGroupBox *>();
        int height = 0;
        for (QGroupBox *group : groups) {
            if (group->findChild<QCheckBox *>()) {
                height = std::max(height, group->sizeHint().height());
                group->hide();
            }
        }
        for (QGroupBox *group : groups) {
            if (!group->findChild<QCheckBox *>())
                group->setMinimumHeight(height);
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return cancelled();
    const QFont chosen = dialog.selectedFont();
    FontName = chosen.family();
    FontBold = chosen.bold();
    FontItalic = chosen.italic();
    FontSize = float(chosen.pointSizeF());
    return true;
}

bool CommonDialog::ShowColor()
{
    QColorDialog dialog(color(Color), m_window);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted)
        return cancelled();
    Color = colorValue(dialog.selectedColor());
    return true;
}

quint32 CommonDialog::colorValue(const QColor &color)
{
    return quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16;
}

QColor CommonDialog::color(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}
