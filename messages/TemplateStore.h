#pragma once

#include "platform/storage/DataFileCare.h"
#include "platform/storage/FixedText.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace pelmora {

// A message template: a named text of at most 160 characters sent, after
// variable expansion, as the answer to a missed call.
struct TemplateRecord {
    static constexpr size_t kNameUnits = 21;
    static constexpr size_t kTextUnits = 161;
    static constexpr size_t kFileSize = 368;

    int32_t id = 0;
    FixedText<kNameUnits> name {};
    FixedText<kTextUnits> text {};

    // Bounded copies that clear the rest of the field, so every unit after
    // the terminator is zero.
    void SetName(std::u16string_view value);
    void SetText(std::u16string_view value);
};

inline constexpr char kTemplatesFileName[] = "pelmoramessages.data";
inline constexpr char16_t kDefaultTemplateText[]
    = u"Dear [FULLNAME], I am sorry I can not come to the phone right now. I will get back to you "
      u"as soon as possible.";

// The process-wide template list. Records are allocated one by one and keep
// their address for their whole life: combo boxes hold them as item data.
using TemplateList = std::vector<std::unique_ptr<TemplateRecord>>;
const TemplateList& Templates();
int32_t LastTemplateId();

// The "<do not send>" choice: id 0, never in the list or the file.
TemplateRecord& DoNotSendTemplate();

// What the load found, for those who report it.
struct TemplateLoadReport {
    size_t fileBytes = 0;
    size_t loaded = 0;
    bool cutShort = false; // a length that is not a whole number of records
    FileCondition condition = FileCondition::Missing; // set by LoadTemplates
    int error = 0; // why an unreadable file could not be read
};
TemplateLoadReport LoadTemplates(const std::filesystem::path& dataDir);
SaveResult SaveTemplates(const std::filesystem::path& dataDir);
void FreeTemplates();
// Back to the state at program start: no records and the id counter at 0.
void ResetTemplateStore();
void EnsureDefaultTemplate();
TemplateRecord* FindTemplate(int32_t id);
// Id 0 names "<do not send>"; an unknown id has no name (nullptr).
const char16_t* TemplateName(int32_t id);
int32_t FirstTemplateId();
TemplateRecord* FindTemplateByName(std::u16string_view name);
// Overwrites the record found by name (returns nullptr) or appends a new one
// (nullptr too when no id is left: FindTemplateByName tells the two apart).
TemplateRecord* AddOrUpdateTemplate(std::u16string_view name, std::u16string_view text);
// Null when no id is left (the largest id is 2147483647).
TemplateRecord* AppendTemplate(std::u16string_view name, std::u16string_view text);
bool DeleteTemplate(TemplateRecord* record);

// Called by DeleteTemplate with the id of the template about to go, so the
// profiles drop their references to it.
void SetTemplateForgetter(void (*forget)(int32_t id));

// The file image of a list of templates, and its reading: records are
// appended to `templates`, `lastId` rises to the largest id read. Of a length
// that is not a whole number of records, the whole records are read.
std::vector<uint8_t> EncodeTemplates(const TemplateList& templates);
TemplateLoadReport DecodeTemplates(
    std::span<const uint8_t> bytes, TemplateList& templates, int32_t& lastId);

// Case-insensitive name comparison: equal lengths, and each UTF-16 unit
// equal to its counterpart once both are lowered one by one.
bool NamesEqualIgnoringCase(std::u16string_view a, std::u16string_view b);

} // namespace pelmora
