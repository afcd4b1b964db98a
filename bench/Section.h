#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::bench {

// One row of the report: the key a measurement is written under, and the
// label shown.
struct Figure {
    std::string_view key;
    std::string_view label;
};

using Results = std::map<std::string, double, std::less<>>;

// A group of figures measured for one address-book size. Each measurement
// runs in a process of its own, so that its peak memory is its own and one
// size's caches do not help the next; the best of several runs is kept.
struct Section {
    std::string_view name;
    std::vector<Figure> figures;
    // Runs once per size in the benchmark process, before the measurements:
    // writes the input files into `scratch`.
    std::function<void(int contacts, const std::filesystem::path& scratch)> prepare;
    // Runs in the measuring process. False when a result was wrong; what was
    // wrong goes to standard error.
    std::function<bool(int contacts, const std::filesystem::path& scratch, Results& results)>
        measure;
};

// The caller lookup over a vCard address book: logons, each stage, a miss,
// the folder's own memory and the process's peak.
Section LookupSection();

} // namespace pelmora::bench
