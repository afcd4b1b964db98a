#include "messages/TemplateStore.h"

#include "platform/storage/ByteReader.h"
#include "platform/storage/ByteWriter.h"
#include "platform/storage/DataFileCare.h"

#include <QChar>

#include <algorithm>
#include <limits>

namespace pelmora {

namespace {

struct TemplateState {
    TemplateState() { doNotSend.SetName(u"<do not send>"); }
    TemplateList list;
    int32_t lastId = 0;
    TemplateRecord doNotSend;
    void (*forget)(int32_t) = nullptr;
};

TemplateState& State()
{
    static TemplateState state;
    return state;
}

// One UTF-16 unit in lower case by itself, as the phone lowers names: the
// simple mapping, never one that turns a unit into two. U+0130 (dotted
// capital I) is the one unit whose simple mapping ("i") QChar does not give,
// because its full mapping takes two units.
char16_t LowerUnit(char16_t unit)
{
    if (unit == u'\u0130')
        return u'i';
    return QChar(unit).toLower().unicode();
}

template <size_t N> void TerminateLastUnit(FixedText<N>& field)
{
    field.units[N - 1] = u'\0';
}

} // namespace

void TemplateRecord::SetName(std::u16string_view value)
{
    name.SetCleared(value);
}
void TemplateRecord::SetText(std::u16string_view value)
{
    text.SetCleared(value);
}

const TemplateList& Templates()
{
    return State().list;
}
int32_t LastTemplateId()
{
    return State().lastId;
}
TemplateRecord& DoNotSendTemplate()
{
    return State().doNotSend;
}
void SetTemplateForgetter(void (*forget)(int32_t))
{
    State().forget = forget;
}

bool NamesEqualIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](char16_t x, char16_t y) { return LowerUnit(x) == LowerUnit(y); });
}

TemplateLoadReport LoadTemplates(const std::filesystem::path& dataDir)
{
    TemplateLoadReport report;
    TemplateState& state = State();
    state.doNotSend.id = 0;
    state.doNotSend.SetName(u"<do not send>");

    const std::filesystem::path file = dataDir / kTemplatesFileName;
    const FileRead read = ReadDataFile(file);
    TemplateList loaded;
    if (read.status == FileRead::Status::Read)
        report = DecodeTemplates(read.bytes, loaded, state.lastId);
    report.condition = NoteLoadedFile(file, read, EncodeTemplates(loaded),
        Counted(static_cast<int64_t>(report.loaded), "whole template"));
    report.error = read.error;
    for (auto& record : loaded)
        state.list.push_back(std::move(record));
    EnsureDefaultTemplate();
    return report;
}

TemplateLoadReport DecodeTemplates(
    std::span<const uint8_t> bytes, TemplateList& templates, int32_t& lastId)
{
    TemplateLoadReport report;
    report.fileBytes = bytes.size();
    // A stray byte at the end (or a record cut short) costs only that
    // record, not the whole list.
    report.cutShort = bytes.size() % TemplateRecord::kFileSize != 0;
    ByteReader in(bytes);
    while (in.Remaining() >= TemplateRecord::kFileSize) {
        auto record = std::make_unique<TemplateRecord>();
        in.GetI32(record->id);
        in.GetUnits(record->name.units);
        in.GetUnits(record->text.units);
        // The last unit of each field ends the text whatever the file holds.
        TerminateLastUnit(record->name);
        TerminateLastUnit(record->text);
        if (record->id > lastId)
            lastId = record->id;
        templates.push_back(std::move(record));
        ++report.loaded;
    }
    return report;
}

std::vector<uint8_t> EncodeTemplates(const TemplateList& templates)
{
    ByteWriter out;
    for (const auto& record : templates) {
        out.PutI32(record->id);
        out.PutUnits(record->name.units);
        out.PutUnits(record->text.units);
    }
    return out.Take();
}

SaveResult SaveTemplates(const std::filesystem::path& dataDir)
{
    return SaveDataFile(dataDir / kTemplatesFileName, EncodeTemplates(State().list));
}

void FreeTemplates()
{
    State().list.clear();
}

void ResetTemplateStore()
{
    State().list.clear();
    State().lastId = 0;
}

void EnsureDefaultTemplate()
{
    if (State().list.empty())
        AppendTemplate(u"Default", kDefaultTemplateText);
}

TemplateRecord* FindTemplate(int32_t id)
{
    if (id == 0)
        return nullptr;
    for (const auto& record : State().list)
        if (record->id == id)
            return record.get();
    return nullptr;
}

const char16_t* TemplateName(int32_t id)
{
    if (id == 0)
        return State().doNotSend.name.units.data();
    TemplateRecord* record = FindTemplate(id);
    return record ? record->name.units.data() : nullptr;
}

int32_t FirstTemplateId()
{
    return State().list.empty() ? 0 : State().list.front()->id;
}

TemplateRecord* FindTemplateByName(std::u16string_view name)
{
    for (const auto& record : State().list)
        if (NamesEqualIgnoringCase(record->name.Text(), name))
            return record.get();
    return nullptr;
}

TemplateRecord* AddOrUpdateTemplate(std::u16string_view name, std::u16string_view text)
{
    if (TemplateRecord* existing = FindTemplateByName(name)) {
        existing->SetName(name);
        existing->SetText(text);
        return nullptr;
    }
    return AppendTemplate(name, text);
}

TemplateRecord* AppendTemplate(std::u16string_view name, std::u16string_view text)
{
    // No id follows 2147483647: refuse, as when a record cannot be made.
    if (State().lastId == std::numeric_limits<int32_t>::max())
        return nullptr;
    auto record = std::make_unique<TemplateRecord>();
    record->SetName(name);
    record->SetText(text);
    record->id = ++State().lastId;
    State().list.push_back(std::move(record));
    return State().list.back().get();
}

bool DeleteTemplate(TemplateRecord* record)
{
    TemplateState& state = State();
    if (record && state.forget)
        state.forget(record->id);
    auto it = std::find_if(state.list.begin(), state.list.end(),
        [record](const auto& owned) { return owned.get() == record; });
    if (it == state.list.end())
        return false;
    state.list.erase(it);
    return true;
}

} // namespace pelmora
