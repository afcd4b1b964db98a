#pragma once

#include <QDialog>
#include <QString>

#include <filesystem>

class QTextBrowser;

namespace pelmora {

// The phone's help viewer in the program itself: the help file's HTML in a
// phone-sized window, opened at the topic asked, its links followed inside
// it, so no web browser is needed. There is one viewer; asking again shows
// the new topic in it.
class CHelpViewer final : public QDialog {
    Q_OBJECT
public:
    // Shows `file` at the anchor `topic` (the top when empty).
    static CHelpViewer* Open(const std::filesystem::path& file, const QString& topic);
    // The viewer on screen, or null.
    static CHelpViewer* Current();

    QTextBrowser* Browser() const { return browser_; }

private:
    CHelpViewer();
    QTextBrowser* browser_;
};

} // namespace pelmora
