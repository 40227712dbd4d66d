#include "img_modify_form.h"

#include "dialog_frame.h"
#include "fit_image.h"
#include "hints.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int PreviewSide = 192;

QSlider* MakeToneSlider(const char* name, const char* hint) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(-100, 100);
    slider->setValue(0);
    slider->setPageStep(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(20);
    SetHint(slider, hint);
    return slider;
}

} // namespace

TImgModifyForm::TImgModifyForm(QWidget* parent, const TBitmap32& source, const QString& helpFile,
                               TToneChanged onChange)
    : QDialog(parent),
      FPreviewSource(ReducedToFit(source, QSize(PreviewSide, PreviewSide))),
      FPreviewBitmap(FPreviewSource),
      FOnChange(std::move(onChange)) {
    setObjectName("ImgModifyForm");
    setWindowTitle("Modify Image");
    SetDialogFrame(this, QSize(312, 386));
    BuildToneTable(0, 0, 0, FToneTable);

    Bevel1 = MakeBevel("Bevel1");
    FImage = new TFitImage(QSize(PreviewSide, PreviewSide), TImageFit::ScaleToFit);
    FImage->setObjectName("FImage");
    FImage->SetBitmap(FPreviewBitmap);
    auto* previewLayout = new QHBoxLayout(Bevel1);
    previewLayout->addWidget(FImage, 0, Qt::AlignCenter);

    Bevel2 = MakeBevel("Bevel2");
    Label1 = new QLabel("Brightness:");
    tbBright = MakeToneSlider("tbBright", "Adjust brightness");
    // Brightness runs from black to white along its track.
    tbBright->setStyleSheet(
        "QSlider::groove:horizontal { height: 8px; border: 1px solid gray;"
        " background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 black, stop:1 white); }"
        "QSlider::handle:horizontal { width: 10px; margin: -5px 0; border: 1px solid gray;"
        " border-radius: 2px; background: palette(button); }");
    Label2 = new QLabel("Gamma:");
    tbGamma = MakeToneSlider("tbGamma", "Adjust exposure");
    Label3 = new QLabel("Contrast:");
    tbContrast = MakeToneSlider("tbContrast", "Adjust contrast");
    auto* sliders = new QGridLayout(Bevel2);
    int row = 0;
    for (auto [label, slider] : {std::pair{Label1, tbBright}, {Label2, tbGamma}, {Label3, tbContrast}}) {
        label->setBuddy(slider);
        sliders->addWidget(label, row, 0);
        sliders->addWidget(slider, row++, 1);
        connect(slider, &QSlider::valueChanged, this, &TImgModifyForm::TrackBarChange);
    }

    btnApply = MakeCloseButton(this, "btnApply", "&Apply Changes", "Keep the changes you made", Accepted);
    btnApply->setDefault(true);
    btnCancel = MakeCloseButton(this, "btnCancel", "&Cancel", "Do not save changes", Rejected);  // Esc too
    sbHelp = MakeHelpButton(this, helpFile);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addWidget(Bevel2);
    layout->addStretch();
    layout->addLayout(MakeButtonRow(sbHelp, {btnApply, btnCancel}));
}

void TImgModifyForm::TrackBarChange() {
    BuildToneTable(tbBright->value(), tbContrast->value(), tbGamma->value(), FToneTable);
    ApplyToneTable(FPreviewBitmap, FPreviewSource, FToneTable);
    FImage->SetBitmap(FPreviewBitmap);
    if (FOnChange) FOnChange(FToneTable);
}

bool TImgModifyForm::Execute(QWidget* parent, const TBitmap32& source, TToneTable& table, const QString& helpFile,
                             TToneChanged onChange) {
    TImgModifyForm form(parent, source, helpFile, std::move(onChange));
    if (form.exec() != QDialog::Accepted) return false;
    table = form.ToneTable();
    return true;
}
