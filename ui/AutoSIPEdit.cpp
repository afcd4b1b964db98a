#include "ui/AutoSIPEdit.h"

#include "platform/shell/SoftKeyboard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace pelmora {

uint8_t sipSuppressed = 1;
int32_t nextEditWantsSip = 0;

bool IsSipUp()
{
    return CurrentSoftKeyboard().IsUp();
}
void SetSipUp(QWidget* window, bool up)
{
    CurrentSoftKeyboard().SetUp(window, up);
}

CAutoSIPEdit::CAutoSIPEdit(QWidget* edit)
    : QObject(edit)
    , edit_(edit)
{
    setObjectName(QStringLiteral("CAutoSIPEdit"));
    edit->installEventFilter(this);
}

CAutoSIPEdit::~CAutoSIPEdit()
{
    if (leaveSipAlone == 0)
        SetSipUp(edit_, false);
}

CAutoSIPEdit* CAutoSIPEdit::Of(const QWidget* widget)
{
    return widget ? widget->findChild<CAutoSIPEdit*>(
               QStringLiteral("CAutoSIPEdit"), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool CAutoSIPEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        if (event->type() == QEvent::FocusIn)
            OnSetFocus();
        else if (event->type() == QEvent::FocusOut)
            OnKillFocus();
    }
    return QObject::eventFilter(watched, event);
}

void CAutoSIPEdit::OnSetFocus()
{
    if (sipSuppressed)
        return;
    leaveSipAlone = nextEditWantsSip != 1 ? (IsSipUp() ? 1 : 0) : 0;
    if (leaveSipAlone)
        return;
    SetSipUp(edit_, true);
}

void CAutoSIPEdit::OnKillFocus()
{
    const bool toSipEdit = Of(QApplication::focusWidget()) != nullptr;
    if (leaveSipAlone) {
        nextEditWantsSip = 0;
    } else if (!toSipEdit) {
        SetSipUp(edit_, false);
        nextEditWantsSip = 0;
    } else {
        nextEditWantsSip = 1;
    }
    leaveSipAlone = 1;
}

} // namespace pelmora
