// The options of one open SANE device, read from its option descriptors.
#pragma once

#include "sane_library.h"

#include <optional>
#include <string>
#include <vector>

struct TNumberRange {
    double Min = 0;
    double Max = 0;
    double Quant = 0;  // 0: any value in between
};

// Reads and sets device options by their well-known names ("mode", "resolution", "tl-x").
// Values are clamped to the device's range or list before they are set, and the
// descriptors are read again whenever a set asks for it.
class TSaneOptions {
public:
    TSaneOptions(const TSaneApi& api, SANE_Handle device);

    // Reads every option descriptor again.
    void Reload();
    // Index of the named option, -1 when the device has none.
    int Find(const std::string& name) const;
    const SANE_Option_Descriptor* Descriptor(int index) const;
    // Present, active and settable by software.
    bool Settable(const std::string& name) const;
    bool IsNumber(const std::string& name) const;
    bool IsText(const std::string& name) const;
    // The unit of a number option (SANE_UNIT_MM, SANE_UNIT_PIXEL, SANE_UNIT_DPI, ...).
    SANE_Unit Unit(const std::string& name) const;

    std::optional<double> Number(const std::string& name) const;
    std::optional<std::string> Text(const std::string& name) const;
    // The values a number option accepts: a range, or a list (empty when neither).
    std::optional<TNumberRange> NumberRange(const std::string& name) const;
    std::vector<double> NumberChoices(const std::string& name) const;
    std::vector<std::string> TextChoices(const std::string& name) const;

    // Sets a value; numbers are clamped to the range or moved to the nearest listed value,
    // texts must match a listed value (letter case aside). Returns the device's status.
    SANE_Status SetNumber(const std::string& name, double value);
    SANE_Status SetText(const std::string& name, const std::string& value);
    SANE_Status SetBool(const std::string& name, bool value);

    // Whether the last successful set made the device re-describe its options.
    bool ReloadedByLastSet() const { return FReloaded; }

private:
    SANE_Status Set(int index, void* value);
    double Clamp(const SANE_Option_Descriptor& option, double value) const;

    const TSaneApi& FApi;
    SANE_Handle FDevice;
    std::vector<const SANE_Option_Descriptor*> FDescriptors;
    bool FReloaded = false;
};

// Whether the device's selected source is a document feeder, which delivers page after
// page until it is empty (a flatbed would scan the same page for ever).
bool ScansFromFeeder(const TSaneOptions& options);
