// Reports how fast and how large the program's work is over address books of
// 1,000, 10,000 and 100,000 contacts, one table per section. Each figure is
// measured in a fresh process of this program (--measure), several times,
// and the best run is reported; timings are wall-clock unless the label says
// otherwise.
//
// A section is a group of figures measured together (bench/Section.h); the
// missed-call pipeline, the start of the program and the running window get
// sections of their own as they are built.

#include "bench/Section.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace pelmora::bench;

namespace {

std::vector<Section> Sections()
{
    return {LookupSection()};
}

// Runs this program with `--measure` and reads the results it prints, one
// "key value" line each. False when it failed.
bool MeasureInChild(
    const Section& section, int contacts, const std::filesystem::path& scratch, Results& results)
{
    int pipe[2];
    if (::pipe(pipe) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    const std::string name(section.name), count = std::to_string(contacts);
    const std::string dir = scratch.string();
    std::vector<char*> argv = {const_cast<char*>("contacts_bench"), const_cast<char*>("--measure"),
        const_cast<char*>(name.c_str()), const_cast<char*>(count.c_str()),
        const_cast<char*>(dir.c_str()), nullptr};
    pid_t child = 0;
    const int spawned
        = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(got));
    ::close(pipe[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)
        || WEXITSTATUS(status) != 0)
        return false;
    std::istringstream lines(output);
    std::string key;
    double value = 0;
    while (lines >> key >> value)
        results[key] = value;
    return true;
}

std::string Shown(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, value < 1 ? "%.4f" : value < 100 ? "%.2f" : "%.0f", value);
    return text;
}

int Report(const std::vector<int>& sizes, int runs)
{
    const auto scratch
        = std::filesystem::temp_directory_path() / ("pelmora-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    bool right = true;
    for (const Section& section : Sections()) {
        std::vector<Results> best(sizes.size());
        for (size_t s = 0; s < sizes.size(); ++s) {
            section.prepare(sizes[s], scratch);
            for (int run = 0; run < runs; ++run) {
                Results results;
                if (!MeasureInChild(section, sizes[s], scratch, results)) {
                    right = false;
                    continue;
                }
                for (const auto& [key, value] : results) {
                    auto [it, fresh] = best[s].try_emplace(key, value);
                    if (!fresh)
                        it->second = std::min(it->second, value);
                }
            }
        }
        std::printf("%-32s", std::string(section.name).c_str());
        for (int size : sizes)
            std::printf(" %12d", size);
        std::printf("\n");
        for (const Figure& figure : section.figures) {
            std::printf("  %-30s", std::string(figure.label).c_str());
            for (const Results& results : best) {
                const auto it = results.find(figure.key);
                std::printf(" %12s", it == results.end() ? "-" : Shown(it->second).c_str());
            }
            std::printf("\n");
        }
    }
    std::filesystem::remove_all(scratch);
    return right ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0) {
        for (const Section& section : Sections()) {
            if (section.name != argv[2])
                continue;
            Results results;
            const bool right = section.measure(std::atoi(argv[3]), argv[4], results);
            for (const auto& [key, value] : results)
                std::printf("%s %.6f\n", key.c_str(), value);
            return right ? 0 : 1;
        }
        return 2;
    }
    std::vector<int> sizes = {1000, 10000, 100000};
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
            sizes.clear();
            std::istringstream list(argv[++i]);
            for (std::string size; std::getline(list, size, ',');)
                if (std::atoi(size.c_str()) > 0)
                    sizes.push_back(std::atoi(size.c_str()));
        } else {
            std::fprintf(stderr, "usage: contacts_bench [--runs N] [--sizes 1000,10000,...]\n");
            return 2;
        }
    }
    return Report(sizes, runs);
}
