#pragma once

#include <QObject>

#include <cstdint>

class QWidget;

namespace pelmora {

// Raises the on-screen keyboard when an edit field gets the focus and lowers
// it when the focus leaves for something that is not such a field; a panel
// the user had up already is left alone. Attached to an edit widget (single
// or multi-line) as its child, so it lives and dies with the field.
class CAutoSIPEdit final : public QObject {
    Q_OBJECT
public:
    explicit CAutoSIPEdit(QWidget* edit);
    ~CAutoSIPEdit() override;

    // The field's attached helper, or null when it has none.
    static CAutoSIPEdit* Of(const QWidget* widget);

    int32_t leaveSipAlone = 1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSetFocus();
    void OnKillFocus();
    QWidget* edit_;
};

// Until the main window is set up, focus changes never move the panel.
extern uint8_t sipSuppressed;
extern int32_t nextEditWantsSip;

bool IsSipUp();
void SetSipUp(QWidget* window, bool up);

} // namespace pelmora
