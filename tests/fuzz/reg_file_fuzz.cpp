// Arbitrary bytes as a registry file to import. Nothing crashes, and what is read holds
// together:
// - written again and read again, it comes back exactly (the writer and the reader agree on
//   every name and text a file can carry);
// - read under our key's parent, the same keys come back with our name in front, so a key
//   that only starts like ours, or lies in another hive, is taken by neither (the parent's
//   read holds more lines to the line limit, so it may refuse what ours reads);
// - every key taken has its own [key] line in the file;
// - tighter limits only ever refuse the file, never read it differently;
// - the same text as UTF-16 reads the same as in 8 bits;
// - an export of what was read reads back the same, past its deletions;
// - an import fills the table up to 50 and accounts for every monitor found.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "monitors/monitor_transfer.h"
#include "monitors/reg_file.h"
#include "platform/registry_names.h"
#include "platform/utf8.h"

namespace {

using namespace kvl;

std::string_view g_input;

#define CHECK(cond) FUZZ_CHECK(cond, g_input)

const std::string kParent = "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";
const std::string kRoot = kParent + "\\KVL";

// Valid UTF-8 text as a UTF-16LE file with its byte-order mark; nothing for other bytes.
std::optional<std::string> AsUtf16(std::string_view text) {
    std::string out = "\xFF\xFE";
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c;
        if (!utf8::Next(text, pos, c)) return std::nullopt;
        utf8::AppendUtf16LE(out, c);
    }
    return out;
}

// Our keys out of a read under the parent, named as a read under our own key names them.
RegKeys Ours(const RegKeys& underParent) {
    RegKeys ours;
    for (const RegKey& key : underParent) {
        const std::string folded = RegistryFolded(key.name);
        if (folded == "KVL")
            ours.push_back({"", key.values});
        else if (folded.rfind("KVL\\", 0) == 0)
            ours.push_back({key.name.substr(4), key.values});
    }
    return ours;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_input = std::string_view(reinterpret_cast<const char*>(data), size);
    const RegRead read = ReadRegFile(g_input, kRoot);
    CHECK(read.refusal.empty() == (read.refusal.rfind("I can't read that file: ", 0) != 0));
    if (!read.refusal.empty()) CHECK(read.keys.empty());

    const RegRead parent = ReadRegFile(g_input, kParent);
    if (!read.refusal.empty()) CHECK(!parent.refusal.empty());
    if (parent.refusal.empty()) CHECK(Ours(parent.keys) == read.keys);

    RegReadLimits tight;
    tight.lineBytes = 8 + size % 97;
    tight.values = 1 + (size > 0 ? data[0] % 8 : 0);
    tight.fileBytes = size - size % 3;
    const RegRead limited = ReadRegFile(g_input, kRoot, tight);
    if (limited.refusal.empty()) CHECK(limited.keys == read.keys);

    const bool wide = g_input.substr(0, 2) == "\xFF\xFE";
    if (!wide) {
        std::string_view text = g_input;
        if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        if (const auto utf16 = AsUtf16(text)) {
            const RegRead again = ReadRegFile(*utf16, kRoot);
            CHECK(again.refusal == read.refusal);
            CHECK(again.keys == read.keys);
        }
        const std::string folded = RegistryFolded(text);
        for (const RegKey& key : read.keys) {
            const std::string line = "[" + RegistryFolded(kRoot) +
                                     (key.name.empty() ? "" : "\\" + RegistryFolded(key.name)) +
                                     "]";
            CHECK(folded.find(line) != std::string::npos);
        }
    }
    if (!read.refusal.empty()) return 0;

    for (const RegKey& key : read.keys) CHECK(!key.values.empty());
    const std::string written = WriteRegFile(kRoot, read.keys);
    CHECK(written.size() % 2 == 0 && written.substr(0, 2) == "\xFF\xFE");
    const RegRead back = ReadRegFile(written, kRoot);
    CHECK(back.refusal.empty());
    CHECK(back.keys == read.keys);
    const RegRead exported = ReadRegFile(ExportFile(kRoot, read.keys), kRoot);
    CHECK(exported.refusal.empty());
    CHECK(exported.keys == read.keys);

    MonitorTable table;
    const int before = size > 1 ? data[1] % 51 : 0;
    for (int s = 0; s < before; ++s) table[static_cast<std::size_t>(s)].Description = "old";
    if (before + 1 < kTableSlots)
        table[static_cast<std::size_t>(before) + 1].Description = "stale, past the end";
    RegKeys underParent;
    for (const RegKey& key : read.keys)
        underParent.push_back({key.name.empty() ? "KVL" : "KVL\\" + key.name, key.values});
    const FileMonitors found = MonitorsInFile(underParent, kRoot);
    CHECK(found.storeKey.empty() == found.monitors.empty());
    const MonitorImport import = AppendMonitors(found.monitors, table);
    CHECK(import.found >= 0 && import.found <= kStoredSlots);
    CHECK(import.added + import.leftOut == import.found);
    CHECK(import.added == std::min(import.found, kStoredSlots - before));
    CHECK(MonitorCount(table) == before + import.added);
    for (int s = 0; s < before; ++s) CHECK(table[static_cast<std::size_t>(s)].Description == "old");
    return 0;
}
