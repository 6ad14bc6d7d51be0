#pragma once

#include "people/JockeyRecord.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QGridLayout;
class DateBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The jockey editor: browses the managed jockeys one at a time, adds, updates and deletes them.
class frmJockey final : public QDialog
{
    Q_OBJECT
public:
    explicit frmJockey(QWidget *parent = nullptr);

    // Reads the jockeys (all, or the one named) and shows the first; the caller then shows the
    // window modally (OpenJockey does both).
    void load(const QString &jockeyName = {});
    static void OpenJockey(QWidget *parent, const QString &jockeyName = {});

    bool adding() const;
    // The position of the row shown (-1 with no rows).
    int position() const { return m_position; }
    int rowCount() const { return int(m_rows.size()); }

    // txtFields[3] is the highlight colour's swatch: it shows the colour and takes no typing;
    // the colour dialog (cmdSelColor) sets it.
    QLineEdit *txtFields[5] = {};
    QLineEdit *txtRidewgt = nullptr;
    QLineEdit *mebFields[4] = {};
    QComboBox *vblcInvPer = nullptr;
    DateBox *dtpLast = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdClose = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdSeachJockey = nullptr;
    QPushButton *cmdSelColor = nullptr;
    QLabel *lblProblem = nullptr;

    // `JockeyColor` as it will be stored.
    QString colorText() const { return m_color; }
    // Something typed that Update has not stored yet.
    bool hasUnstoredTyping() const;

    // Escape and the window's close button ask before typing that is not stored is lost.
    void reject() override;

private:
    // The buttons' handlers.
    void addNew();
    void update();
    void deleteCurrent();
    void closeOrCancel();
    void next();
    void previous();
    void selectColor();
    void searchJockey();
    void buildWidgets();
    void ShowJockeyRecord();
    void SetEditMode(const QString &mode);
    void setColor(const QString &stored);
    QStringList typedTexts() const;
    void rememberShownTexts();
    void formatAmount(int index);
    // Re-reads the rows and shows the one named (the first when it is gone).
    void reloadAt(const QString &jockey);
    void showProblem(jockeys::Field field, const QString &message);

    QGridLayout *m_grid = nullptr;
    QList<JockeyRecord> m_rows;
    int m_position = -1;
    QString m_filter;
    QString m_color;
    QStringList m_shownTexts;
};
