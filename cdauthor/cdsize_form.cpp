#include "cdsize_form.h"

#include "cd_form_widgets.h"
#include "fixed_dialog.h"
#include "help_button.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* WrappedText(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

} // namespace

TCDSizeForm::TCDSizeForm(QWidget* parent, const QString& helpFile) : QDialog(parent) {
    setObjectName("CDSizeForm");
    setWindowTitle("Set CD-R Size");
    // A fixed dialog without system buttons, centred on its owner when first shown.
    SetFixedDialogFlags(this);

    Label1 = WrappedText("Fotolark has been unable to detect a CD-R/RW drive on your system.");
    Label2 = WrappedText("You can create a CD image (ISO) file, which can be written to a blank CD on another system.");
    Label3 = WrappedText("Please enter the size, in megabytes, of the blank CD that will be used.");

    edCDSize = new QLineEdit("650");
    edCDSize->setObjectName("edCDSize");
    edCDSize->setMaxLength(3);
    edCDSize->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), edCDSize));
    edCDSize->setMaximumWidth(60);

    lblError = new QLabel;
    lblError->setObjectName("lblError");

    btnOk = new QPushButton("&Ok");
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton("&Cancel");
    btnCancel->setObjectName("btnCancel");
    connect(btnOk, &QPushButton::clicked, this, &TCDSizeForm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    sbHelp = CreateHelpButton(this, helpFile);

    auto* size = new QHBoxLayout;
    size->addWidget(edCDSize);
    size->addWidget(new QLabel("MB"));
    size->addWidget(lblError, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(sbHelp);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    for (QLabel* text : {Label1, Label2, Label3}) layout->addWidget(text);
    layout->addLayout(size);
    layout->addLayout(buttons);
    setFixedSize(360, sizeHint().height() + 20);
    edCDSize->setFocus();
    edCDSize->selectAll();
}

int TCDSizeForm::Megabytes() const {
    return edCDSize->text().toInt();  // 0 for an empty field
}

void TCDSizeForm::btnOkClick() {
    if (Megabytes() > 0) {
        accept();
        return;
    }
    lblError->setText("Please enter a size of 1 to 999 MB.");
    edCDSize->setFocus();
}

bool TCDSizeForm::Execute(QWidget* parent, const QString& helpFile, int& megabytes) {
    TCDSizeForm form(parent, helpFile);
    if (form.exec() != QDialog::Accepted) return false;
    megabytes = form.Megabytes();
    return true;
}
