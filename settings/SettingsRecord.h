#pragma once

#include "platform/storage/DataFileCare.h"
#include "platform/storage/FixedText.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace pelmora {

// All options that are not groups, templates or profiles: a fixed 1900-byte
// record that is also, byte for byte, the settings file. It is encoded field
// by field so the bytes do not depend on the compiler's struct layout.
struct SettingsRecord {
    static constexpr size_t kSize = 1900;
    static constexpr int32_t kVersion = 1;
    static constexpr size_t kReplacementChars = 51;
    static constexpr size_t kPrefixListChars = 301;
    static constexpr size_t kInternationalPrefixChars = 11;

    SettingsRecord();

    int32_t version = kVersion;
    int32_t maxPerCallerIndex = 0;
    int32_t maxTotal = 20;
    std::array<FixedText<kReplacementChars>, 6> replacement {};
    int32_t includeMode = 0;
    FixedText<kPrefixListChars> includePrefixes {};
    int32_t excludeInternational = 1;
    int32_t excludeUnidentified = 0;
    int32_t excludeStartingWith = 0;
    FixedText<kPrefixListChars> excludePrefixes {};
    int32_t clearLogEachStart = 1;
    int32_t removeSpaceAfterEmpty = 1;
    int32_t ringsBeforeSendIndex = 0;
    int32_t logMaxAgeIndex = 0;
    FixedText<kInternationalPrefixChars> internationalPrefix {};
    int32_t hangupIndex = 0;
    int32_t activeProfileId = 0;
    int32_t interactive = 0;

    // The file image; the reserved alignment bytes are written as zero.
    std::vector<uint8_t> Encode() const;
    // Reads a 1900-byte image; nullopt when fewer bytes are given.
    static std::optional<SettingsRecord> Decode(std::span<const uint8_t> bytes);

    bool operator==(const SettingsRecord&) const = default;
};

// Byte offsets of the record's fields in the file.
namespace settings_offset {
constexpr size_t version = 0, maxPerCallerIndex = 4, maxTotal = 8, replacement = 12,
                 includeMode = 624, includePrefixes = 628, excludeInternational = 1232,
                 excludeUnidentified = 1236, excludeStartingWith = 1240, excludePrefixes = 1244,
                 clearLogEachStart = 1848, removeSpaceAfterEmpty = 1852,
                 ringsBeforeSendIndex = 1856, logMaxAgeIndex = 1860, internationalPrefix = 1864,
                 hangupIndex = 1888, activeProfileId = 1892, interactive = 1896;
}

inline constexpr char kSettingsFileName[] = "pelmorasettings.data";

// Reads the settings file of `dir` into `record`. A missing, short or
// wrong-version file leaves `record` as it is; a longer file is read for its
// first 1900 bytes. A file that is not exactly one record of this version is
// damaged (NoteLoadedFile), so it is copied aside before a save replaces it.
struct SettingsLoadReport {
    bool fileOpened = false;
    size_t bytesRead = 0;
    std::optional<int32_t> version; // when a whole record was read
    bool applied = false;
    FileCondition condition = FileCondition::Missing;
    int error = 0; // why an unreadable file could not be read
};
SettingsLoadReport LoadSettings(const std::filesystem::path& dir, SettingsRecord& record);
// Writes the record to the settings file of `dir` with SaveDataFile.
SaveResult SaveSettings(const std::filesystem::path& dir, const SettingsRecord& record);

} // namespace pelmora
