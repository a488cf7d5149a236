#include "help/frmabout.h"

#include "shared/appinfo.h"
#include "shared/designcontrol.h"
#include "help/keyvalue.h"
#include "platform/codepage.h"
#include "platform/dospaths.h"
#include "platform/messagebox.h"
#include "platform/registry.h"
#include "platform/twips.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

using designcontrol::placed;

QLabel *blackLabel(QWidget *parent, const char *name, const QString &text, int left, int top,
                   int width, int height)
{
    QLabel *label = placed(new QLabel(text, parent), name, text, left, top, width, height);
    QPalette black = label->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(black);
    return label;
}

// One line of the etched rule: a strip of colour, `thickness` pixels high.
void ruleLine(QWidget *parent, int left, int top, int right, int thickness, QColor color)
{
    auto *line = new QWidget(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setGeometry(twips::toPixels(left), twips::toPixels(top),
                      twips::toPixels(right - left), thickness);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
}

const char *const Description =
    "Tansy's INI Editor 3.0 is an easy-to-use application that is designed for Internet users "
    "to have easy access to all INI files, and provide informtion on keeping PWS out of them";

}

frmAbout::frmAbout(const DosPaths &paths, Registry &registry, ProgramStarter startProgram,
                   const QIcon &icon)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_paths(paths), m_registry(registry), m_startProgram(std::move(startProgram))
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("About MyApp"));
    setWindowIcon(icon);
    setFixedSize(twips::toPixels(5730), twips::toPixels(3555));

    auto *cmdOK = placed(new QPushButton(QStringLiteral("OK"), this), "cmdOK", QStringLiteral("OK"),
                         4245, 2625, 1260, 345);
    auto *picIcon = placed(new QLabel(this), "picIcon", QStringLiteral("picIcon"), 240, 240, 540, 540);
    picIcon->setPixmap(icon.pixmap(32, 32));
    picIcon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *cmdSysInfo = placed(new QPushButton(QStringLiteral("&System Info..."), this),
                              "cmdSysInfo", QStringLiteral("System Info..."), 4260, 3075, 1245, 345);
    auto *description = blackLabel(this, "lblDescription", QString::fromLatin1(Description),
                                   1050, 1125, 3885, 1170);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    blackLabel(this, "lblDisclaimer", QString(), 255, 2625, 3870, 825);
    m_lblTitle = blackLabel(this, "lblTitle", QStringLiteral("Application Title"),
                            1050, 240, 3885, 480);
    m_lblVersion = placed(new QLabel(QStringLiteral("Version"), this), "lblVersion",
                          QStringLiteral("Version"), 1050, 780, 3885, 225);
    ruleLine(this, 90, 2445, 5654, 1, QColor(0x80, 0x80, 0x80));
    ruleLine(this, 105, 2460, 5654, 2, Qt::white);

    cmdOK->setDefault(true);
    QWidget::setTabOrder(cmdOK, cmdSysInfo);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + appinfo::title());
    const QString version = QStringLiteral("Version %1.%2.%3")
                                .arg(appinfo::Major).arg(appinfo::Minor).arg(appinfo::Revision);
    m_lblVersion->setText(version);
    m_lblVersion->setAccessibleName(version);
    m_lblTitle->setText(appinfo::title());
    m_lblTitle->setAccessibleName(appinfo::title());
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

// Every way of failing ends in the one message; the About box stays open.
void frmAbout::StartSysInfo()
{
    QString program;
    try {
        QString value;
        if (GetKeyValue(Registry::HKEY_LOCAL_MACHINE,
                        QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                        QStringLiteral("PATH"), value)) {
            program = value;
        } else if (GetKeyValue(Registry::HKEY_LOCAL_MACHINE,
                               QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                               QStringLiteral("MSINFO"), value)) {
            const QFileInfo tool(m_paths.resolve(value + QStringLiteral("\\MSINFO32.EXE")));
            if (tool.isFile() && !tool.isHidden())
                program = value + QStringLiteral("\\MSINFO32.EXE");
        }
    } catch (const RegistryValueEmpty &) {
        program.clear();
    }
    // The registry's text is a DOS path: it names a file below the root of the current drive.
    if (program.isEmpty() || !m_startProgram(m_paths.resolve(program)))
        msgbox::show(this, QStringLiteral("System Information Is Unavailable At This Time"),
                     msgbox::OkOnly, appinfo::title());
}

bool frmAbout::GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef,
                           QString &KeyVal)
{
    constexpr quint32 BufferSize = 1024;
    quint32 key = 0;
    const auto failed = [&] {
        KeyVal.clear();
        m_registry.RegCloseKey(key);
        return false;
    };
    if (m_registry.RegOpenKeyExA(KeyRoot, codepage::fromUnicode(KeyName), 0,
                                 Registry::KEY_ALL_ACCESS, key) != Registry::ERROR_SUCCESS)
        return failed();

    QByteArray buffer(BufferSize, '\0');
    quint32 size = BufferSize;
    quint32 type = 0;
    if (m_registry.RegQueryValueExA(key, codepage::fromUnicode(SubKeyRef), 0, type, buffer.data(),
                                    size) != Registry::ERROR_SUCCESS)
        return failed();

    try {
        keyValueText(type, QByteArrayView(buffer.constData(), size), KeyVal);
    } catch (const RegistryValueEmpty &) {
        m_registry.RegCloseKey(key);
        throw;
    }
    m_registry.RegCloseKey(key);
    return true;
}
