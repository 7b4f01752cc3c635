#pragma once
// A monitor as the settings store holds it: one row per stored value, in the order the store
// receives them. The load, the save and the rule that a saved section holds nothing else
// all read this one table, so a new value is one new row.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "monitors/monitor.h"

namespace kvl {

struct MonitorField {
    enum class Presence {
        Always,   // written by every save
        WhenSet,  // written only when it differs from `missing`
    };

    std::string_view key;
    std::string_view missing;  // what a missing or unreadable value reads as
    Presence presence = Presence::Always;
    // The field of the record, a text or a 16-bit integer; exactly one is set.
    std::string& (*text)(Monitor&) = nullptr;
    std::int16_t& (*integer)(Monitor&) = nullptr;
};

std::span<const MonitorField> MonitorFields();

// A stored integer: decimal text in the 16-bit range, blanks around it allowed.
std::optional<std::int16_t> ParseStoredInteger(std::string_view text);

// The field's value as stored text: integers in signed decimal.
std::string StoredText(const MonitorField& field, const Monitor& monitor);

// Takes a value read from the store; nothing (a missing key) or an integer that does not
// read as one gives the field its `missing` value.
void TakeStoredText(const MonitorField& field, Monitor& monitor,
                    const std::optional<std::string>& stored);

// Whether a save writes this field of this monitor.
bool IsWritten(const MonitorField& field, const Monitor& monitor);

}  // namespace kvl
