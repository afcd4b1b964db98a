#pragma once

#include "platform/framework/MessageBox.h"

#include <QString>

#include <deque>
#include <filesystem>
#include <ostream>
#include <vector>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelmora::test {

// Answers message boxes from a script and records what was shown. Boxes
// beyond the script are answered with OK (or No for questions).
class ScriptedMessageBoxes final {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Answer(int answer) { answers_.push_back(answer); }
    const std::vector<dlg::MessageBoxCall>& Shown() const { return shown_; }

private:
    std::deque<int> answers_;
    std::vector<dlg::MessageBoxCall> shown_;
};

// A fresh, empty directory for one test, removed afterwards.
class ScratchDir final {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

} // namespace pelmora::test
