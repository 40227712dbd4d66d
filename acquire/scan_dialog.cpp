#include "scan_dialog.h"

#include "scan_area_view.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <sane/saneopts.h>

#include <algorithm>

namespace {

// Resolutions offered when the device accepts any value in a range.
constexpr double kCommonResolutions[] = {50, 75, 100, 150, 200, 300, 400, 600, 1200, 2400, 4800};
// Height of the preview picture in pixels.
constexpr double kPreviewHeight = 300;
constexpr double kMillimetresPerInch = 25.4;

QString NumberText(double value) {
    return QString::number(value, 'g', 10);
}

// Replaces the items of a combo box without raising its change signals.
void FillCombo(QComboBox* box, const QStringList& items, const QString& current) {
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(int(items.indexOf(current)));
}

QImage ToImage(const TBitmap32& bitmap) {
    return QImage(reinterpret_cast<const uchar*>(bitmap.Bits()), bitmap.Width(), bitmap.Height(),
                  qsizetype(bitmap.BytesPerLine()), QImage::Format_ARGB32)
        .copy();
}

} // namespace

TScanDialog::TScanDialog(const TSaneApi& api, SANE_Handle device, const QString& deviceName, QWidget* parent)
    : QDialog(parent), FApi(api), FDevice(device), FOptions(api, device) {
    setWindowTitle(tr("Scan from %1").arg(deviceName));
    BuildControls();
    Refresh();
    FProgressTimer.setInterval(100);
    connect(&FProgressTimer, &QTimer::timeout, this, &TScanDialog::ShowProgress);
}

TScanDialog::~TScanDialog() {
    if (!FWorker.joinable()) return;
    FCancelled = true;
    FApi.cancel(FDevice);
    FWorker.join();
}

void TScanDialog::BuildControls() {
    const auto combo = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        return box;
    };
    cbxSource = combo("cbxSource");
    cbxMode = combo("cbxMode");
    cbxResolution = combo("cbxResolution");
    cbxDepth = combo("cbxDepth");
    for (auto [box, option] : {std::pair{cbxSource, SANE_NAME_SCAN_SOURCE}, {cbxMode, SANE_NAME_SCAN_MODE}})
        connect(box, &QComboBox::textActivated, this, [this, option](const QString& text) { SetText(option, text); });
    for (auto [box, option] : {std::pair{cbxResolution, SANE_NAME_SCAN_RESOLUTION}, {cbxDepth, SANE_NAME_BIT_DEPTH}})
        connect(box, &QComboBox::textActivated, this,
                [this, option](const QString& text) { SetNumber(option, text.toDouble()); });

    const auto edge = [this](const char* name, const char* option) {
        auto* box = new QDoubleSpinBox(this);
        box->setObjectName(name);
        box->setKeyboardTracking(false);
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, option](double value) { SetNumber(option, value); });
        return box;
    };
    edLeft = edge("edLeft", SANE_NAME_SCAN_TL_X);
    edTop = edge("edTop", SANE_NAME_SCAN_TL_Y);
    edRight = edge("edRight", SANE_NAME_SCAN_BR_X);
    edBottom = edge("edBottom", SANE_NAME_SCAN_BR_Y);

    FForm = new QFormLayout;
    FForm->addRow(tr("Source:"), cbxSource);
    FForm->addRow(tr("Mode:"), cbxMode);
    FForm->addRow(tr("Resolution (dpi):"), cbxResolution);
    FForm->addRow(tr("Bit depth:"), cbxDepth);
    FForm->addRow(tr("Left:"), edLeft);
    FForm->addRow(tr("Top:"), edTop);
    FForm->addRow(tr("Right:"), edRight);
    FForm->addRow(tr("Bottom:"), edBottom);

    FAreaView = new TScanAreaView(this);
    FAreaView->setObjectName("FAreaView");
    FAreaView->OnAreaDragged = [this](const QRectF& area) { SetArea(area); };

    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName("pbProgress");
    pbProgress->setVisible(false);
    // The bar's row stays reserved while it is hidden, so that a scan neither grows the dialog
    // nor moves its buttons.
    QSizePolicy keepRow = pbProgress->sizePolicy();
    keepRow.setRetainSizeWhenHidden(true);
    pbProgress->setSizePolicy(keepRow);

    auto* buttons = new QDialogButtonBox(this);
    btnPreview = buttons->addButton(tr("Pre&view"), QDialogButtonBox::ActionRole);
    btnScan = buttons->addButton(tr("&Scan"), QDialogButtonBox::AcceptRole);
    btnCancel = buttons->addButton(tr("&Cancel"), QDialogButtonBox::RejectRole);
    btnPreview->setObjectName("btnPreview");
    btnScan->setObjectName("btnScan");
    btnCancel->setObjectName("btnCancel");
    btnScan->setDefault(true);
    connect(btnPreview, &QPushButton::clicked, this, [this] { StartScan(true); });
    connect(btnScan, &QPushButton::clicked, this, [this] { StartScan(false); });
    connect(btnCancel, &QPushButton::clicked, this, &TScanDialog::reject);

    auto* options = new QVBoxLayout;
    options->addLayout(FForm);
    options->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(options);
    columns->addWidget(FAreaView, 1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(columns, 1);
    page->addWidget(pbProgress);
    page->addWidget(buttons);
}

void TScanDialog::Refresh() {
    const auto showText = [this](QComboBox* box, const char* option) {
        const bool offered = FOptions.Settable(option) && !FOptions.TextChoices(option).empty();
        FForm->setRowVisible(box, offered);
        if (!offered) return;
        QStringList items;
        for (const std::string& choice : FOptions.TextChoices(option)) items << QString::fromStdString(choice);
        FillCombo(box, items, QString::fromStdString(FOptions.Text(option).value_or("")));
    };
    showText(cbxSource, SANE_NAME_SCAN_SOURCE);
    showText(cbxMode, SANE_NAME_SCAN_MODE);

    const auto showNumber = [this](QComboBox* box, const char* option) {
        const bool offered = FOptions.Settable(option) && FOptions.IsNumber(option);
        FForm->setRowVisible(box, offered);
        if (!offered) return;
        std::vector<double> values = FOptions.NumberChoices(option);
        if (const auto range = FOptions.NumberRange(option)) {
            values = {range->Min, range->Max};
            for (double common : kCommonResolutions)
                if (common > range->Min && common < range->Max) values.push_back(common);
        }
        const double current = FOptions.Number(option).value_or(0);
        if (std::find(values.begin(), values.end(), current) == values.end()) values.push_back(current);
        std::sort(values.begin(), values.end());
        QStringList items;
        for (double value : values) items << NumberText(value);
        FillCombo(box, items, NumberText(current));
    };
    showNumber(cbxResolution, SANE_NAME_SCAN_RESOLUTION);
    showNumber(cbxDepth, SANE_NAME_BIT_DEPTH);

    const bool area = HasArea();
    const QString suffix = FOptions.Unit(SANE_NAME_SCAN_TL_X) == SANE_UNIT_MM ? tr(" mm") : tr(" px");
    for (auto [box, option] : {std::pair{edLeft, SANE_NAME_SCAN_TL_X}, {edTop, SANE_NAME_SCAN_TL_Y},
                               {edRight, SANE_NAME_SCAN_BR_X}, {edBottom, SANE_NAME_SCAN_BR_Y}}) {
        FForm->setRowVisible(box, area);
        if (!area) continue;
        const QSignalBlocker blocker(box);
        const TNumberRange range = *FOptions.NumberRange(option);
        box->setDecimals(FOptions.Unit(option) == SANE_UNIT_MM ? 1 : 0);
        box->setSuffix(suffix);
        box->setRange(range.Min, range.Max);
        box->setValue(FOptions.Number(option).value_or(range.Min));
    }
    FAreaView->setVisible(area);
    btnPreview->setVisible(area);
    if (area) {
        FAreaView->SetBed(Bed());
        FAreaView->SetArea(QRectF(QPointF(edLeft->value(), edTop->value()), QPointF(edRight->value(), edBottom->value())));
    }
}

bool TScanDialog::HasArea() const {
    for (const char* option : {SANE_NAME_SCAN_TL_X, SANE_NAME_SCAN_TL_Y, SANE_NAME_SCAN_BR_X, SANE_NAME_SCAN_BR_Y})
        if (!FOptions.Settable(option) || !FOptions.NumberRange(option)) return false;
    return true;
}

QRectF TScanDialog::Bed() const {
    return QRectF(QPointF(FOptions.NumberRange(SANE_NAME_SCAN_TL_X)->Min, FOptions.NumberRange(SANE_NAME_SCAN_TL_Y)->Min),
                  QPointF(FOptions.NumberRange(SANE_NAME_SCAN_BR_X)->Max, FOptions.NumberRange(SANE_NAME_SCAN_BR_Y)->Max));
}

void TScanDialog::SetText(const char* name, const QString& value) {
    FOptions.SetText(name, value.toStdString());
    Refresh();
}

void TScanDialog::SetNumber(const char* name, double value) {
    FOptions.SetNumber(name, value);
    Refresh();
}

void TScanDialog::SetArea(const QRectF& area) {
    FOptions.SetNumber(SANE_NAME_SCAN_TL_X, area.left());
    FOptions.SetNumber(SANE_NAME_SCAN_TL_Y, area.top());
    FOptions.SetNumber(SANE_NAME_SCAN_BR_X, area.right());
    FOptions.SetNumber(SANE_NAME_SCAN_BR_Y, area.bottom());
    Refresh();
}

// The preview covers the whole bed at a resolution that makes a small picture.
void TScanDialog::PrepareForPreview() {
    FSavedArea = QRectF(QPointF(edLeft->value(), edTop->value()), QPointF(edRight->value(), edBottom->value()));
    FSavedResolution = FOptions.Number(SANE_NAME_SCAN_RESOLUTION);
    FOptions.SetBool(SANE_NAME_PREVIEW, true);
    const QRectF bed = Bed();
    FOptions.SetNumber(SANE_NAME_SCAN_TL_X, bed.left());
    FOptions.SetNumber(SANE_NAME_SCAN_TL_Y, bed.top());
    FOptions.SetNumber(SANE_NAME_SCAN_BR_X, bed.right());
    FOptions.SetNumber(SANE_NAME_SCAN_BR_Y, bed.bottom());
    if (FSavedResolution && FOptions.Unit(SANE_NAME_SCAN_TL_Y) == SANE_UNIT_MM && bed.height() > 0)
        FOptions.SetNumber(SANE_NAME_SCAN_RESOLUTION, kPreviewHeight / (bed.height() / kMillimetresPerInch));
}

void TScanDialog::StartScan(bool preview) {
    if (FWorker.joinable()) return;
    if (preview) PrepareForPreview();
    const bool fromFeeder = !preview && ScansFromFeeder(FOptions);
    FCancelled = false;
    FProgress.Received = 0;
    FProgress.Expected = -1;
    EnableControls(false);
    pbProgress->setVisible(true);
    ShowProgress();
    FProgressTimer.start();
    FWorker = std::thread([this, preview, fromFeeder] {
        auto outcome = std::make_shared<TScanOutcome>(ScanPages(FApi, FDevice, fromFeeder, FCancelled, &FProgress));
        QMetaObject::invokeMethod(this, [this, outcome, preview] { ScanFinished(outcome, preview); },
                                  Qt::QueuedConnection);
    });
}

void TScanDialog::ScanFinished(std::shared_ptr<TScanOutcome> outcome, bool preview) {
    FWorker.join();
    FProgressTimer.stop();
    pbProgress->setVisible(false);
    EnableControls(true);
    if (preview) {
        FOptions.SetBool(SANE_NAME_PREVIEW, false);
        if (FSavedResolution) FOptions.SetNumber(SANE_NAME_SCAN_RESOLUTION, *FSavedResolution);
        SetArea(*FSavedArea);
        FSavedArea.reset();
        FSavedResolution.reset();
        FAreaView->SetPicture(outcome->Page ? ToImage(*outcome->Page) : QImage());
        return;
    }
    if (FCancelled) return;  // the user stopped the scan and may start another
    FOutcome = std::move(*outcome);
    // A page ends the dialog; so does a failure, without a message.
    if (FOutcome.Page) accept();
    else QDialog::reject();
}

void TScanDialog::ShowProgress() {
    const std::int64_t expected = FProgress.Expected;
    if (expected <= 0) {
        pbProgress->setRange(0, 0);  // height unknown: a busy bar
        return;
    }
    pbProgress->setRange(0, 1000);
    pbProgress->setValue(int(std::min<std::int64_t>(1000, FProgress.Received * 1000 / expected)));
}

void TScanDialog::EnableControls(bool enabled) {
    for (QWidget* control : std::initializer_list<QWidget*>{cbxSource, cbxMode, cbxResolution, cbxDepth, edLeft,
                                                            edTop, edRight, edBottom, FAreaView, btnPreview, btnScan})
        control->setEnabled(enabled);
}

void TScanDialog::reject() {
    if (FWorker.joinable()) {
        FCancelled = true;
        FApi.cancel(FDevice);
        return;
    }
    FOutcome = TScanOutcome{SANE_STATUS_CANCELLED, std::nullopt};
    QDialog::reject();
}

TScanOutcome TScanDialogInterface::Run(const TSaneApi& api, SANE_Handle device, const std::string& sourceName) {
    TScanDialog dialog(api, device, QString::fromStdString(sourceName), FParent);
    dialog.exec();
    return dialog.Outcome();
}
