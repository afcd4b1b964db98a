#pragma once

#include <QGuiApplication>

namespace pelmora::dlg {

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor final {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace pelmora::dlg
