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

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kApplicationTitle = u"Ostrevan 2"_s;
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"About "_s + kApplicationTitle);
    lblTitle = new QLabel(kApplicationTitle, this);
    lblTitle->setObjectName(u"lblTitle"_s);
    QFont font = lblTitle->font();
    font.setPointSize(16);
    font.setBold(true);
    lblTitle->setFont(font);
    lblVersion = new QLabel(u"Version "_s + version::dotted(), this);
    lblVersion->setObjectName(u"lblVersion"_s);
    lblDescription = new QLabel(u"Bookings, form and invoices for the manager of a stable of jockeys."_s, this);
    lblDescription->setObjectName(u"lblDescription"_s);
    lblDescription->setWordWrap(true);
    cmdOK = new QPushButton(u"OK"_s, this);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(u"&System Info..."_s, this);
    cmdSysInfo->setObjectName(u"cmdSysInfo"_s);

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
    const QSettings shared(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"_s, QSettings::NativeFormat);
    QString path = shared.value(u"PATH"_s).toString();
    if (path.isEmpty()) {
        const QSettings location(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools Location"_s,
                                 QSettings::NativeFormat);
        const QString folder = location.value(u"MSINFO"_s).toString();
        if (!folder.isEmpty())
            path = folder + u"\\MSINFO32.EXE"_s;
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
        UserDialogs::instance().message(u"About "_s + kApplicationTitle,
                                        u"System Information Is Unavailable At This Time"_s, UserDialogs::Icon::None);
}
