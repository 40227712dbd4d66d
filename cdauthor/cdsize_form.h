// "Set CD-R Size": asks for the size of the blank disc when no recorder is chosen.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class TCDSizeForm : public QDialog {
    Q_OBJECT
public:
    explicit TCDSizeForm(QWidget* parent = nullptr, const QString& helpFile = {});

    // Shows the dialog modally; true on "&Ok" with the size typed in megabytes.
    static bool Execute(QWidget* parent, const QString& helpFile, int& megabytes);

    // The size typed, 0 while the field holds no size.
    int Megabytes() const;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLineEdit* edCDSize;
    QLabel* lblError;  // why "&Ok" did not close the dialog
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QToolButton* sbHelp;

private:
    void btnOkClick();
};
