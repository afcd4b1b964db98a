#include "platform/contacts/VCardFields.h"

#include <algorithm>

namespace pelmora {

void AddTypeWords(std::vector<std::string>& types, std::string_view list)
{
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string_view::npos)
            comma = list.size();
        std::string word(list.substr(start, comma - start));
        std::erase(word, '"');
        for (char& c : word)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        if (!word.empty())
            types.push_back(std::move(word));
        start = comma + 1;
    }
}

void NormaliseTypes(std::vector<std::string>& types)
{
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
}

} // namespace pelmora
