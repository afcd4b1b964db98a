#include "platform/framework/DialogTemplate.h"

#include <map>

namespace pelmora::dlg {

namespace {
std::map<int, DialogTemplate>& Registry()
{
    static std::map<int, DialogTemplate> templates;
    return templates;
}
} // namespace

void RegisterTemplate(DialogTemplate tmpl)
{
    const int id = tmpl.id;
    Registry().insert_or_assign(id, std::move(tmpl));
}

const DialogTemplate* FindDialogTemplate(int id)
{
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : &it->second;
}

std::vector<const DialogTemplate*> RegisteredTemplates()
{
    std::vector<const DialogTemplate*> all;
    for (const auto& [id, tmpl] : Registry())
        all.push_back(&tmpl);
    return all;
}

} // namespace pelmora::dlg
