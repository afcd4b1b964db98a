#include "platform/shell/HelpViewer.h"

#include "platform/framework/ScreenModel.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace pelmora {

namespace {
QPointer<CHelpViewer>& Shown()
{
    static QPointer<CHelpViewer> viewer;
    return viewer;
}
} // namespace

CHelpViewer::CHelpViewer()
    : QDialog(nullptr, Qt::Window)
    , browser_(new QTextBrowser(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("HelpViewer"));
    // Web links leave for the desktop's browser; the help's own stay here.
    browser_->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
    connect(browser_, &QTextBrowser::sourceChanged, this,
        [this] { setWindowTitle(browser_->documentTitle()); });
}

CHelpViewer* CHelpViewer::Open(const std::filesystem::path& file, const QString& topic)
{
    CHelpViewer* viewer = Shown();
    if (!viewer) {
        viewer = new CHelpViewer;
        Shown() = viewer;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(file.string()));
    if (!topic.isEmpty())
        url.setFragment(topic);
    viewer->browser_->setSource(url);
    // The size of the screen the program lays itself out for, over the
    // program's window.
    viewer->resize(dlg::ScreenModel::Instance().Size());
    if (QWidget* owner = QApplication::activeWindow(); owner && owner != viewer)
        viewer->move(owner->geometry().topLeft());
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    // Scrolled once it has its size, so the topic is at the top.
    if (!topic.isEmpty())
        viewer->browser_->scrollToAnchor(topic);
    return viewer;
}

CHelpViewer* CHelpViewer::Current()
{
    return Shown();
}

} // namespace pelmora
