// The settings file as read from a data directory: any bytes at all.
#include "fuzz/FuzzSupport.h"
#include "settings/SettingsRecord.h"

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto record = SettingsRecord::Decode(fuzz::Bytes(data, size));
    FUZZ_CHECK(record.has_value() == (size >= SettingsRecord::kSize));
    if (!record)
        return 0;
    // Saved, the record is its file again: every byte but the three
    // alignment gaps, which are written as zero.
    const std::vector<uint8_t> saved = record->Encode();
    FUZZ_CHECK(saved.size() == SettingsRecord::kSize);
    for (size_t i = 0; i < saved.size(); ++i) {
        const bool gap = i / 2 == 615 || i / 2 == 923 || i / 2 == 943;
        FUZZ_CHECK(saved[i] == (gap ? 0 : data[i]));
    }
    // And the saved bytes load to the same record.
    const auto again = SettingsRecord::Decode(saved);
    FUZZ_CHECK(again && *again == *record);
    return 0;
}
