#include "open_picture_dialog.h"

#include "fit_image.h"
#include "picture_file.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr QSize kPreviewBox(200, 200);

} // namespace

TPicturePreview::TPicturePreview(QWidget* parent)
    : QWidget(parent), FImage(new TFitImage(kPreviewBox, TImageFit::ScaleToFit, this)), FSize(new QLabel(this)) {
    setObjectName("Preview");
    FSize->setObjectName("lblPictureSize");
    FSize->setAlignment(Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FImage);
    layout->addWidget(FSize);
    layout->addStretch();
    FDecoder.setMaxThreadCount(1);
}

TPicturePreview::~TPicturePreview() {
    FDecoder.clear();  // what has not begun is not needed any more
    FDecoder.waitForDone();
}

void TPicturePreview::ShowFile(const QString& path) {
    const uint64_t request = ++FRequest;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        Decoded(request, TBitmap32(), QSize());
        return;
    }
    FDecoder.clear();
    const std::string file = path.toStdString();
    const QSize box = kPreviewBox * devicePixelRatio();
    FDecoder.start([this, request, file, box] {
        if (request != FRequest) return;  // the user has moved on
        TBitmap32 reduced;
        QSize original;
        try {
            const TBitmap32 picture = LoadPictureFile(file);
            original = QSize(picture.Width(), picture.Height());
            reduced = ReducedToFit(picture, box);
        } catch (const std::exception&) {
            // not a picture we can read: the pane stays empty
        }
        // The pane outlives this task (its destructor waits), so the call is safe to queue.
        QMetaObject::invokeMethod(this, [this, request, reduced, original] { Decoded(request, reduced, original); },
                                  Qt::QueuedConnection);
    });
}

void TPicturePreview::Decoded(uint64_t request, const TBitmap32& reduced, QSize original) {
    if (request != FRequest) return;
    FImage->SetBitmap(reduced);
    FSize->setText(original.isEmpty() ? QString()
                                      : QStringLiteral("%1 \u00d7 %2").arg(original.width()).arg(original.height()));
    emit PictureShown();
}

QString TPicturePreview::SizeText() const {
    return FSize->text();
}

TOpenPictureDialog::TOpenPictureDialog(QWidget* parent) : QFileDialog(parent), FPreview(new TPicturePreview) {
    setOption(QFileDialog::DontUseNativeDialog);  // the preview pane lives in Qt's own dialog
    setOption(QFileDialog::HideNameFilterDetails);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilter(kOpenPictureFilter);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(FPreview, 0, grid->columnCount(), grid->rowCount(), 1);
    connect(this, &QFileDialog::currentChanged, FPreview, &TPicturePreview::ShowFile);
    resize(860, 480);  // room for the file list's columns beside the preview
}

QString TOpenPictureDialog::Execute(QWidget* parent) {
    TOpenPictureDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}
