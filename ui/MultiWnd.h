#pragma once

#include "platform/framework/CommandTarget.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string_view>

namespace pelmora {

namespace dlg {
class CDialog;
}

class CMultiWnd;

// The caption bar of one pane: a header-like button that cannot be resized
// by dragging; a tap opens or closes its pane.
class CMultiWndCaption final : public QWidget {
    Q_OBJECT
public:
    CMultiWndCaption(CMultiWnd* owner, std::u16string_view text, const QFont& font);

    QWidget* content = nullptr;
    uint8_t open = 0;
    QString Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CMultiWnd* owner_;
    QString text_;
};

// A stack of up to ten captioned panes: open captions at the top, closed ones
// at the bottom, and the active pane's content in the space between. Taps
// slide the captions in 4-pixel steps.
class CMultiWnd final : public QWidget, public dlg::CommandTarget {
    Q_OBJECT
public:
    static constexpr int kMaxPanes = 10;
    static constexpr int kCaptionHeight = 20;
    // The caption's height on the screen shown: the design's 20 pixels
    // scaled, and on a phone at least a fingertip.
    static int CaptionHeight();
    static constexpr int kSlideStep = 4;

    explicit CMultiWnd(QWidget* parent = nullptr);
    ~CMultiWnd() override;

    // Takes the place and identifier of a template control of `page`.
    bool CreateInPlaceOf(dlg::CDialog& page, int placeholderId, int newId, QColor background);
    bool AddPane(
        std::u16string_view caption, QWidget* content, const QString& fontFace, int tenthsOfPoint);
    bool SelectLastPane(bool instant);
    void SetCollapseAllowed(bool allowed) { collapseAllowed_ = allowed ? 1 : 0; }
    // Moves the container to `rect`, or into its parent 1 pixel in from every
    // edge, and lays the bars and the open content out again. Every size
    // change of the container runs it without a rectangle.
    void RecalcLayout(std::optional<QRect> rect = std::nullopt);
    void Tap(CMultiWndCaption* caption);

    bool RouteCommand(int id) override;

    int TopCount() const { return topCount_; }
    int PaneCount() const { return paneCount_; }
    CMultiWndCaption* Caption(int index) const;
    CMultiWndCaption* ActiveCaption() const { return active_; }
    CMultiWndCaption* NextCaption() const { return next_; }
    QRect ContentArea() const;
    QColor Background() const { return background_; }

    // Tests watch every placement of a sliding caption.
    using PlacementObserver = std::function<void(const CMultiWndCaption*, int top)>;
    void SetPlacementObserver(PlacementObserver observer) { observer_ = std::move(observer); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int IndexOf(const CMultiWndCaption* caption) const;
    void SlideCaption(CMultiWndCaption* caption, int targetTop);
    void Place(CMultiWndCaption* caption, int top);
    void Close(CMultiWndCaption* caption);
    void OpenNext(CMultiWndCaption* caption);
    void ShowContent(CMultiWndCaption* caption);
    void LayoutBars();
    void Reset(QColor background);

    CMultiWndCaption* active_ = nullptr;
    CMultiWndCaption* next_ = nullptr;
    int topCount_ = 0;
    int paneCount_ = 0;
    std::array<CMultiWndCaption*, kMaxPanes> captions_ {};
    QColor background_ {Qt::white};
    uint8_t animate_ = 1;
    uint8_t collapseAllowed_ = 1;
    bool placing_ = false;
    PlacementObserver observer_;
};

// The caption font: the face asked for where the system has it, else a close
// sans-serif, at the given size in tenths of a point.
QFont CaptionFont(const QString& face, int tenthsOfPoint);

// Dispatches the thread's pending events in at most five rounds.
void PumpPendingMessages();

} // namespace pelmora
