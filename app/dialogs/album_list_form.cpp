#include "album_list_form.h"

#include "album_nodes.h"
#include "dialog_frame.h"
#include "hints.h"

#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TAlbumListForm::TAlbumListForm(QWidget* parent, const std::vector<std::string>& names, const QString& caption,
                               const QString& helpFile)
    : QDialog(parent), FNames(names) {
    setObjectName("AlbumListForm");
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Add Photo to Album") : caption);
    SetDialogFrame(this, QSize(248, 320), TDialogFrame::ToolWindow);

    lbAlbums = new QListWidget;
    lbAlbums->setObjectName("lbAlbums");
    SetHint(lbAlbums, "Avaliable albums");
    for (const std::string& name : names) lbAlbums->addItem(ToDisplay(name));
    connect(lbAlbums, &QListWidget::currentRowChanged, this, &TAlbumListForm::lbAlbumsClick);
    connect(lbAlbums, &QListWidget::itemDoubleClicked, this, &TAlbumListForm::lbAlbumsDblClick);

    lblAlbumName = new QLabel;
    lblAlbumName->setObjectName("lblAlbumName");
    lblAlbumName->setTextFormat(Qt::PlainText);
    SetHint(lblAlbumName, "Selected album");

    btnOk = MakeCloseButton(this, "btnOk", "&Ok", "Add photo to selected album", Accepted);
    btnOk->setDefault(true);
    btnOk->setEnabled(!names.empty());
    btnCancel = MakeCloseButton(this, "btnCancel", "&Cancel", "Close without adding photo to album", Rejected);
    sbHelp = MakeHelpButton(this, helpFile);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbAlbums, 1);
    layout->addWidget(lblAlbumName);
    layout->addLayout(MakeButtonRow(sbHelp, {btnOk, btnCancel}));

    if (!names.empty()) lbAlbums->setCurrentRow(0);
    lbAlbums->setFocus();
}

void TAlbumListForm::lbAlbumsClick(int row) {
    if (row < 0) return;
    FChosen = row;
    lblAlbumName->setText(lbAlbums->item(row)->text());
}

void TAlbumListForm::lbAlbumsDblClick() {
    lbAlbumsClick(lbAlbums->currentRow());
    accept();
}

std::string TAlbumListForm::AlbumName() const {
    return FChosen < 0 ? std::string() : FNames[static_cast<size_t>(FChosen)];
}

QPoint KeepInside(QPoint wanted, QSize size, const QRect& window, const QRect& screen) {
    QPoint at = wanted;
    for (const QRect& area : {window, screen}) {
        at.setX(std::max(std::min(at.x(), area.right() + 1 - size.width()), area.left()));
        at.setY(std::max(std::min(at.y(), area.bottom() + 1 - size.height()), area.top()));
    }
    return at;
}

bool TAlbumListForm::Execute(QWidget* parent, const std::vector<std::string>& names, std::string& albumName,
                             QPoint point, QWidget* centreOn, const QString& helpFile) {
    TAlbumListForm form(parent, names, QString(), helpFile);
    if (!centreOn) centreOn = parent;
    const bool centred = point.x() < 0 || point.y() < 0;
    if (centred && centreOn)
        point = centreOn->mapToGlobal(QPoint(centreOn->width() / 2 - form.width() / 2,
                                             centreOn->height() / 2 - form.height() / 2));
    if (!centred || centreOn) {
        QScreen* screen = QGuiApplication::screenAt(point);
        if (!screen) screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const QRect window = parent ? parent->window()->frameGeometry() : screen->availableGeometry();
        form.move(KeepInside(point, form.size(), window, screen->availableGeometry()));
    }
    if (form.exec() != QDialog::Accepted) return false;
    albumName = form.AlbumName();
    return true;
}
