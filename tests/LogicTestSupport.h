#pragma once

#include "monitor/SmsSender.h"

#include <QString>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelmora::test {

// What every test program sets up before its application object: the
// offscreen platform, a fixed locale, and data, settings and XDG directories
// of its own, so nothing a test writes reaches the user's files.
class TestSandbox final {
public:
    TestSandbox();
    TestSandbox(const TestSandbox&) = delete;
    TestSandbox& operator=(const TestSandbox&) = delete;

private:
    QTemporaryDir root_;
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

// Runs the event loop until `condition` holds or `timeoutMs` has passed, and
// tells which. Assert on the result: unlike QTRY_*, a time-out then fails the
// test instead of silently returning from it.
template <class Condition> [[nodiscard]] bool WaitUntil(Condition condition, int timeoutMs = 5000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// The transport's answer to one send, filled in when it comes: at once for
// the outbox, later for a modem.
using SendAnswer = std::shared_ptr<std::optional<bool>>;
inline SendAnswer StartSend(
    CSmsSender& sender, std::u16string_view text, std::u16string_view number)
{
    auto answer = std::make_shared<std::optional<bool>>();
    sender.Send(text, number, [answer](const SmsUpdate& update) {
        if (!update.IsReport())
            *answer = update.Accepted();
    });
    return answer;
}
inline std::optional<bool> SendNow(
    CSmsSender& sender, std::u16string_view text, std::u16string_view number)
{
    return *StartSend(sender, text, number);
}

} // namespace pelmora::test
