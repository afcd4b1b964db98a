// The templates file as read from a data directory: any bytes at all.
#include "fuzz/FuzzSupport.h"
#include "messages/TemplateStore.h"

#include <algorithm>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TemplateList templates;
    int32_t lastId = 0;
    const TemplateLoadReport report = DecodeTemplates(fuzz::Bytes(data, size), templates, lastId);
    FUZZ_CHECK(report.fileBytes == size);
    FUZZ_CHECK(report.cutShort == (size % TemplateRecord::kFileSize != 0));
    FUZZ_CHECK(templates.size() == size / TemplateRecord::kFileSize);
    FUZZ_CHECK(report.loaded == templates.size());
    for (const auto& record : templates) {
        FUZZ_CHECK(record->id <= lastId);
        FUZZ_CHECK(record->name.units.back() == u'\0' && record->text.units.back() == u'\0');
        FUZZ_CHECK(record->text.Text().size() < TemplateRecord::kTextUnits);
    }

    // Saved, the store is its file again but for the last unit of each
    // field, which always ends the text.
    const std::vector<uint8_t> saved = EncodeTemplates(templates);
    FUZZ_CHECK(saved.size() == templates.size() * TemplateRecord::kFileSize);
    for (size_t i = 0; i < saved.size(); ++i) {
        const size_t at = i % TemplateRecord::kFileSize;
        const bool lastUnit = (at >= 44 && at < 46) || at >= 366;
        FUZZ_CHECK(saved[i] == (lastUnit ? 0 : data[i]));
    }
    // And those bytes load to the same store.
    TemplateList again;
    int32_t againLastId = 0;
    DecodeTemplates(saved, again, againLastId);
    FUZZ_CHECK(std::equal(templates.begin(), templates.end(), again.begin(), again.end(),
        [](const auto& a, const auto& b) {
            return a->id == b->id && a->name == b->name && a->text == b->text;
        }));
    FUZZ_CHECK(againLastId == lastId);
    return 0;
}
