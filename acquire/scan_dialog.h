// The source's own dialog: a modal dialog built from the open device's options (source,
// mode, resolution, bit depth, scan area with a preview), with Scan and Cancel. The page
// arrives on a worker thread, so the dialog stays responsive and Cancel stops a running scan.
#pragma once

#include "acquire_image.h"
#include "sane_options.h"
#include "scan_job.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QProgressBar;
class QPushButton;
class TScanAreaView;

class TScanDialog : public QDialog {
    Q_OBJECT
public:
    TScanDialog(const TSaneApi& api, SANE_Handle device, const QString& deviceName, QWidget* parent = nullptr);
    // Stops a scan still running.
    ~TScanDialog() override;

    // The page after Scan (accepted), or why there is none.
    const TScanOutcome& Outcome() const { return FOutcome; }
    bool Scanning() const { return FWorker.joinable(); }
    // Escape and Cancel stop a running scan; without one they close the dialog.
    void reject() override;

private:
    void BuildControls();
    // Shows the device's current options in the controls.
    void Refresh();
    void SetText(const char* name, const QString& value);
    void SetNumber(const char* name, double value);
    void SetArea(const QRectF& area);
    bool HasArea() const;
    QRectF Bed() const;

    void StartScan(bool preview);
    void PrepareForPreview();
    void ScanFinished(std::shared_ptr<TScanOutcome> outcome, bool preview);
    void ShowProgress();
    void EnableControls(bool enabled);

    const TSaneApi& FApi;
    SANE_Handle FDevice;
    TSaneOptions FOptions;

    QFormLayout* FForm = nullptr;
    QComboBox* cbxSource = nullptr;
    QComboBox* cbxMode = nullptr;
    QComboBox* cbxResolution = nullptr;
    QComboBox* cbxDepth = nullptr;
    QDoubleSpinBox* edLeft = nullptr;
    QDoubleSpinBox* edTop = nullptr;
    QDoubleSpinBox* edRight = nullptr;
    QDoubleSpinBox* edBottom = nullptr;
    TScanAreaView* FAreaView = nullptr;
    QProgressBar* pbProgress = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnScan = nullptr;
    QPushButton* btnCancel = nullptr;

    // Options changed for a preview, set back when it ends.
    std::optional<double> FSavedResolution;
    std::optional<QRectF> FSavedArea;

    QTimer FProgressTimer;
    std::thread FWorker;
    std::atomic<bool> FCancelled{false};
    TScanProgress FProgress;
    TScanOutcome FOutcome;
};

// Runs TScanDialog as the source's dialog of a TAcquireImage.
class TScanDialogInterface : public TScanUserInterface {
public:
    explicit TScanDialogInterface(QWidget* parent) : FParent(parent) {}
    TScanOutcome Run(const TSaneApi& api, SANE_Handle device, const std::string& sourceName) override;

private:
    QWidget* FParent;
};
