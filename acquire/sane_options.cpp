#include "sane_options.h"

#include <algorithm>
#include <cmath>
#include <sane/saneopts.h>
#include <strings.h>

#include <cctype>

namespace {

bool IsNumberType(SANE_Value_Type type) {
    return type == SANE_TYPE_INT || type == SANE_TYPE_FIXED;
}

double FromWord(SANE_Value_Type type, SANE_Word word) {
    return type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : double(word);
}

SANE_Word ToWord(SANE_Value_Type type, double value) {
    return type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(std::lround(value));
}

std::size_t WordCount(const SANE_Option_Descriptor& option) {
    return std::max<std::size_t>(1, std::size_t(option.size) / sizeof(SANE_Word));
}

} // namespace

TSaneOptions::TSaneOptions(const TSaneApi& api, SANE_Handle device) : FApi(api), FDevice(device) {
    Reload();
}

void TSaneOptions::Reload() {
    FDescriptors.clear();
    // Option 0 holds the number of options, itself included.
    SANE_Int count = 0;
    if (FApi.control_option(FDevice, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD)
        return;
    for (SANE_Int i = 0; i < count; ++i) FDescriptors.push_back(FApi.get_option_descriptor(FDevice, i));
}

int TSaneOptions::Find(const std::string& name) const {
    for (std::size_t i = 1; i < FDescriptors.size(); ++i) {
        const SANE_Option_Descriptor* option = FDescriptors[i];
        if (option && option->name && name == option->name) return int(i);
    }
    return -1;
}

const SANE_Option_Descriptor* TSaneOptions::Descriptor(int index) const {
    return index >= 0 && std::size_t(index) < FDescriptors.size() ? FDescriptors[std::size_t(index)] : nullptr;
}

bool TSaneOptions::Settable(const std::string& name) const {
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    return option && SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap);
}

bool TSaneOptions::IsNumber(const std::string& name) const {
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    return option && IsNumberType(option->type);
}

bool TSaneOptions::IsText(const std::string& name) const {
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    return option && option->type == SANE_TYPE_STRING;
}

SANE_Unit TSaneOptions::Unit(const std::string& name) const {
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    return option ? option->unit : SANE_UNIT_NONE;
}

std::optional<double> TSaneOptions::Number(const std::string& name) const {
    const int index = Find(name);
    const SANE_Option_Descriptor* option = Descriptor(index);
    if (!option || !SANE_OPTION_IS_ACTIVE(option->cap)) return std::nullopt;
    if (!IsNumberType(option->type) && option->type != SANE_TYPE_BOOL) return std::nullopt;
    std::vector<SANE_Word> words(WordCount(*option));
    if (FApi.control_option(FDevice, index, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    return FromWord(option->type, words[0]);
}

std::optional<std::string> TSaneOptions::Text(const std::string& name) const {
    const int index = Find(name);
    const SANE_Option_Descriptor* option = Descriptor(index);
    if (!option || !SANE_OPTION_IS_ACTIVE(option->cap) || option->type != SANE_TYPE_STRING) return std::nullopt;
    std::vector<char> text(std::size_t(std::max<SANE_Int>(option->size, 1)) + 1, '\0');
    if (FApi.control_option(FDevice, index, SANE_ACTION_GET_VALUE, text.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    return std::string(text.data());
}

std::optional<TNumberRange> TSaneOptions::NumberRange(const std::string& name) const {
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    if (!option || !IsNumberType(option->type) || option->constraint_type != SANE_CONSTRAINT_RANGE) return std::nullopt;
    const SANE_Range& range = *option->constraint.range;
    return TNumberRange{FromWord(option->type, range.min), FromWord(option->type, range.max),
                        FromWord(option->type, range.quant)};
}

std::vector<double> TSaneOptions::NumberChoices(const std::string& name) const {
    std::vector<double> choices;
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    if (!option || !IsNumberType(option->type) || option->constraint_type != SANE_CONSTRAINT_WORD_LIST) return choices;
    // The first word of the list is the number of values after it.
    const SANE_Word* list = option->constraint.word_list;
    for (SANE_Word i = 1; i <= list[0]; ++i) choices.push_back(FromWord(option->type, list[i]));
    return choices;
}

std::vector<std::string> TSaneOptions::TextChoices(const std::string& name) const {
    std::vector<std::string> choices;
    const SANE_Option_Descriptor* option = Descriptor(Find(name));
    if (!option || option->type != SANE_TYPE_STRING || option->constraint_type != SANE_CONSTRAINT_STRING_LIST)
        return choices;
    for (const SANE_String_Const* item = option->constraint.string_list; *item; ++item) choices.emplace_back(*item);
    return choices;
}

double TSaneOptions::Clamp(const SANE_Option_Descriptor& option, double value) const {
    if (option.constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range& range = *option.constraint.range;
        const double min = FromWord(option.type, range.min);
        const double max = FromWord(option.type, range.max);
        const double quant = FromWord(option.type, range.quant);
        value = std::clamp(value, min, std::max(min, max));
        if (quant > 0) value = std::min(max, min + std::round((value - min) / quant) * quant);
    } else if (option.constraint_type == SANE_CONSTRAINT_WORD_LIST && option.constraint.word_list[0] > 0) {
        const SANE_Word* list = option.constraint.word_list;
        double nearest = FromWord(option.type, list[1]);
        for (SANE_Word i = 2; i <= list[0]; ++i) {
            const double candidate = FromWord(option.type, list[i]);
            if (std::abs(candidate - value) < std::abs(nearest - value)) nearest = candidate;
        }
        value = nearest;
    }
    return value;
}

SANE_Status TSaneOptions::Set(int index, void* value) {
    SANE_Int info = 0;
    const SANE_Status status = FApi.control_option(FDevice, index, SANE_ACTION_SET_VALUE, value, &info);
    FReloaded = status == SANE_STATUS_GOOD && (info & SANE_INFO_RELOAD_OPTIONS);
    if (FReloaded) Reload();
    return status;
}

SANE_Status TSaneOptions::SetNumber(const std::string& name, double value) {
    const int index = Find(name);
    const SANE_Option_Descriptor* option = Descriptor(index);
    if (!option || !Settable(name) || !IsNumberType(option->type)) return SANE_STATUS_UNSUPPORTED;
    // An array option (rare for these names) gets the value in every element.
    std::vector<SANE_Word> words(WordCount(*option), ToWord(option->type, Clamp(*option, value)));
    return Set(index, words.data());
}

SANE_Status TSaneOptions::SetText(const std::string& name, const std::string& value) {
    const int index = Find(name);
    const SANE_Option_Descriptor* option = Descriptor(index);
    if (!option || !Settable(name) || option->type != SANE_TYPE_STRING) return SANE_STATUS_UNSUPPORTED;
    std::string chosen = value;
    const std::vector<std::string> choices = TextChoices(name);
    if (!choices.empty()) {
        const auto match = std::find_if(choices.begin(), choices.end(), [&](const std::string& choice) {
            return strcasecmp(choice.c_str(), value.c_str()) == 0;
        });
        if (match == choices.end()) return SANE_STATUS_INVAL;
        chosen = *match;
    }
    // The device reads `size` bytes, the terminating zero included.
    if (option->size <= 0 || chosen.size() >= std::size_t(option->size)) return SANE_STATUS_INVAL;
    std::vector<char> text(std::size_t(option->size), '\0');
    std::copy(chosen.begin(), chosen.end(), text.begin());
    return Set(index, text.data());
}

SANE_Status TSaneOptions::SetBool(const std::string& name, bool value) {
    const int index = Find(name);
    const SANE_Option_Descriptor* option = Descriptor(index);
    if (!option || !Settable(name) || option->type != SANE_TYPE_BOOL) return SANE_STATUS_UNSUPPORTED;
    SANE_Word word = value ? SANE_TRUE : SANE_FALSE;
    return Set(index, &word);
}

bool ScansFromFeeder(const TSaneOptions& options) {
    std::string source = options.Text(SANE_NAME_SCAN_SOURCE).value_or("");
    std::transform(source.begin(), source.end(), source.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* word : {"feeder", "adf", "duplex"})
        if (source.find(word) != std::string::npos) return true;
    return false;
}
