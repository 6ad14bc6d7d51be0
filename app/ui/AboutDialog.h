#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class AboutDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget *parent = nullptr);

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

    // The operating system's information tool, or empty where there is none.
    static QString systemInfoTool();

private:
    void startSysInfo();
};
