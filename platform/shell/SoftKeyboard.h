#pragma once

class QWidget;

namespace pelmora {

// The on-screen keyboard: its state and a window's wish to have it up.
class SoftKeyboard {
public:
    virtual ~SoftKeyboard() = default;
    // False when the state cannot be read.
    virtual bool IsUp() = 0;
    virtual void SetUp(QWidget* window, bool up) = 0;
};

// On Linux phones the keyboard is the session-bus service sm.puri.OSK0; where
// it does not answer, Qt's input method stands in; no keyboard is "not up".
class LinuxSoftKeyboard final : public SoftKeyboard {
public:
    bool IsUp() override;
    void SetUp(QWidget* window, bool up) override;
};

// A keyboard that only remembers what it was told: tests and demos.
class SimulatedSoftKeyboard final : public SoftKeyboard {
public:
    bool IsUp() override { return up; }
    void SetUp(QWidget*, bool wanted) override
    {
        up = wanted;
        ++requests;
    }
    bool up = false;
    int requests = 0;
};

// The keyboard the program uses (not owned); a LinuxSoftKeyboard by default.
void SetSoftKeyboard(SoftKeyboard* keyboard);
SoftKeyboard& CurrentSoftKeyboard();

} // namespace pelmora
