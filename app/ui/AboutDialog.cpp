#include "AboutDialog.h"

#include "core/UserDialogs.h"
#include "core/Version.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {
const QString kApplicationTitle = QStringLiteral("Ostrevan 2");
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + kApplicationTitle);
    lblTitle = new QLabel(kApplicationTitle, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont font = lblTitle->font();
    font.setPointSize(16);
    font.setBold(true);
    lblTitle->setFont(font);
    lblVersion = new QLabel(QStringLiteral("Version ") + version::dotted(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDescription = new QLabel(QStringLiteral("Bookings, form and invoices for the manager of a stable of jockeys."), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addWidget(lblDescription);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutDialog::startSysInfo);
}

QString AboutDialog::systemInfoTool()
{
#ifdef Q_OS_WIN
    const QSettings shared(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                           QSettings::NativeFormat);
    QString path = shared.value(QStringLiteral("PATH")).toString();
    if (path.isEmpty()) {
        const QSettings location(QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"),
                                 QSettings::NativeFormat);
        const QString folder = location.value(QStringLiteral("MSINFO")).toString();
        if (!folder.isEmpty())
            path = folder + QStringLiteral("\\MSINFO32.EXE");
    }
    return QFileInfo::exists(path) ? path : QString();
#else
    // Desktop information tools found on Linux desktops, in order of preference.
    for (const char *tool : {"hardinfo", "kinfocenter", "gnome-system-monitor"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(tool));
        if (!path.isEmpty())
            return path;
    }
    return {};
#endif
}

void AboutDialog::startSysInfo()
{
    const QString tool = systemInfoTool();
    if (tool.isEmpty() || !QProcess::startDetached(tool, {}))
        UserDialogs::instance().message(QStringLiteral("About ") + kApplicationTitle,
                                        QStringLiteral("System Information Is Unavailable At This Time"),
                                        UserDialogs::Icon::None);
}
