#include "about_box.h"

#include "hints.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

void ShowAboutBox(QWidget* parent) {
    QDialog box(parent);
    box.setObjectName("FAboutDlg");
    box.setWindowTitle("About Fotolark");
    auto* layout = new QVBoxLayout(&box);
    auto* icon = new QLabel;
    icon->setPixmap(BundledIcon("fotolark").pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    for (const QString& text : {QStringLiteral("<b>Fotolark</b>"),
                                QStringLiteral("Organize your photos and store them on a CD"),
                                QStringLiteral("Version %1").arg(FOTOLARK_VERSION)}) {
        auto* label = new QLabel(text);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    if (parent) box.move(parent->geometry().center() - box.rect().center());
    box.exec();
}
