#include "settings/SettingsRecord.h"

#include "platform/storage/ByteReader.h"
#include "platform/storage/ByteWriter.h"

#include <algorithm>

namespace pelmora {

SettingsRecord::SettingsRecord()
{
    replacement[1].Assign(u"Friend");
}

std::vector<uint8_t> SettingsRecord::Encode() const
{
    ByteWriter out;
    out.PutI32(version);
    out.PutI32(maxPerCallerIndex);
    out.PutI32(maxTotal);
    for (const auto& text : replacement)
        out.PutUnits(text.units);
    out.PutI32(includeMode);
    out.PutUnits(includePrefixes.units);
    out.PutZeros(2);
    out.PutI32(excludeInternational);
    out.PutI32(excludeUnidentified);
    out.PutI32(excludeStartingWith);
    out.PutUnits(excludePrefixes.units);
    out.PutZeros(2);
    out.PutI32(clearLogEachStart);
    out.PutI32(removeSpaceAfterEmpty);
    out.PutI32(ringsBeforeSendIndex);
    out.PutI32(logMaxAgeIndex);
    out.PutUnits(internationalPrefix.units);
    out.PutZeros(2);
    out.PutI32(hangupIndex);
    out.PutI32(activeProfileId);
    out.PutI32(interactive);
    return out.Take();
}

std::optional<SettingsRecord> SettingsRecord::Decode(std::span<const uint8_t> bytes)
{
    if (bytes.size() < kSize)
        return std::nullopt;
    ByteReader in(bytes.first(kSize));
    SettingsRecord r;
    in.GetI32(r.version);
    in.GetI32(r.maxPerCallerIndex);
    in.GetI32(r.maxTotal);
    for (auto& text : r.replacement)
        in.GetUnits(text.units);
    in.GetI32(r.includeMode);
    in.GetUnits(r.includePrefixes.units);
    in.Skip(2);
    in.GetI32(r.excludeInternational);
    in.GetI32(r.excludeUnidentified);
    in.GetI32(r.excludeStartingWith);
    in.GetUnits(r.excludePrefixes.units);
    in.Skip(2);
    in.GetI32(r.clearLogEachStart);
    in.GetI32(r.removeSpaceAfterEmpty);
    in.GetI32(r.ringsBeforeSendIndex);
    in.GetI32(r.logMaxAgeIndex);
    in.GetUnits(r.internationalPrefix.units);
    in.Skip(2);
    in.GetI32(r.hangupIndex);
    in.GetI32(r.activeProfileId);
    in.GetI32(r.interactive);
    return r;
}

SettingsLoadReport LoadSettings(const std::filesystem::path& dir, SettingsRecord& record)
{
    SettingsLoadReport report;
    const std::filesystem::path file = dir / kSettingsFileName;
    const FileRead read = ReadDataFile(file);
    report.error = read.error;
    report.fileOpened = read.status == FileRead::Status::Read;
    report.bytesRead = std::min(read.bytes.size(), SettingsRecord::kSize);
    auto loaded = SettingsRecord::Decode(read.bytes);
    if (loaded) {
        report.version = loaded->version;
        if (loaded->version == record.version) {
            record = *loaded;
            report.applied = true;
        }
    }
    report.condition
        = NoteLoadedFile(file, read, report.applied ? record.Encode() : std::vector<uint8_t>(),
            report.applied ? "its settings" : "none of its settings; the defaults apply");
    return report;
}

SaveResult SaveSettings(const std::filesystem::path& dir, const SettingsRecord& record)
{
    return SaveDataFile(dir / kSettingsFileName, record.Encode());
}

} // namespace pelmora
