#include "ui/MultiWnd.h"

#include <QApplication>
#include <QPointer>
#include <QResizeEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

class MultiWndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        panes.resize(240, 200);
        panes.SetPlacementObserver([this](const CMultiWndCaption* caption, int top) {
            placements.push_back({caption->Text().toStdString(), top});
        });
    }
    QWidget* Content()
    {
        auto* content = new QWidget(&panes);
        content->show();
        return content;
    }
    void Tap(int index) { QTest::mouseClick(panes.Caption(index), Qt::LeftButton); }
    int Top(int index) const { return panes.Caption(index)->y(); }

    CMultiWnd panes;
    std::vector<std::pair<std::string, int>> placements;
};

} // namespace

TEST_F(MultiWndTest, RulesTabStartsWithIncludeOpenAndExcludeAtTheBottom)
{
    QWidget* exclude = Content();
    QWidget* include = Content();
    ASSERT_TRUE(panes.AddPane(u"Exclude Rules", exclude, QStringLiteral("MS Sans Serif"), 97));
    ASSERT_TRUE(panes.AddPane(u"Include Rules", include, QStringLiteral("MS Sans Serif"), 97));
    EXPECT_FALSE(exclude->isVisible());
    panes.SetCollapseAllowed(false);
    ASSERT_TRUE(panes.SelectLastPane(true));
    EXPECT_EQ(placements.size(), 1u) << "instant: one placement";
    EXPECT_EQ(Top(1), 0);
    EXPECT_EQ(Top(0), 180);
    EXPECT_TRUE(include->isVisibleTo(&panes));
    EXPECT_EQ(include->geometry(), QRect(0, 20, 240, 160));
    EXPECT_EQ(panes.ActiveCaption(), panes.Caption(1));
    EXPECT_NEAR(panes.Caption(0)->font().pointSizeF(), 9.7, 0.01);

    // Exclude slides up under Include and its page shows.
    Tap(0);
    EXPECT_EQ(Top(0), 20);
    EXPECT_TRUE(exclude->isVisibleTo(&panes));
    EXPECT_FALSE(include->isVisibleTo(&panes));
    EXPECT_EQ(exclude->geometry(), QRect(0, 40, 240, 160));
    // Include again: Exclude goes back down.
    Tap(1);
    EXPECT_EQ(Top(0), 180);
    EXPECT_TRUE(include->isVisibleTo(&panes));
    EXPECT_FALSE(exclude->isVisibleTo(&panes));
    // The only open pane cannot be collapsed.
    Tap(1);
    EXPECT_EQ(panes.TopCount(), 1);
    EXPECT_EQ(Top(1), 0);
}

TEST_F(MultiWndTest, SlideMovesInFourPixelSteps)
{
    panes.resize(240, 120);
    panes.AddPane(u"A", Content(), QStringLiteral("Sans"), 90);
    panes.AddPane(u"B", Content(), QStringLiteral("Sans"), 90);
    panes.SelectLastPane(true); // B at 0, A at 100
    Tap(0); // A: 100 up to 20
    placements.clear();
    panes.SetCollapseAllowed(true);
    Tap(1); // closes A (active): from 20 down to the bottom edge, 120 - 20 = 100
    std::vector<int> tops;
    for (const auto& [name, top] : placements)
        if (name == "A")
            tops.push_back(top);
    std::vector<int> expected;
    for (int top = 20; top <= 100; top += 4)
        expected.push_back(top);
    expected.push_back(100);
    EXPECT_EQ(tops, expected);
}

TEST_F(MultiWndTest, SlideOfSixtyTwoPixels)
{
    panes.resize(240, 102);
    panes.AddPane(u"A", Content(), QStringLiteral("Sans"), 90);
    panes.AddPane(u"B", Content(), QStringLiteral("Sans"), 90);
    panes.SelectLastPane(true);
    Tap(0); // A up to 20
    placements.clear();
    Tap(1); // A from 20 down to 102 - 20 = 82
    std::vector<int> tops;
    for (const auto& [name, top] : placements)
        tops.push_back(top - 20);
    std::vector<int> expected;
    for (int offset = 0; offset <= 60; offset += 4)
        expected.push_back(offset);
    expected.push_back(62);
    EXPECT_EQ(tops, expected);
}

TEST_F(MultiWndTest, TappingTheLowestOfThreeOpensTheOnesAboveFirst)
{
    for (const char16_t* name : {u"One", u"Two", u"Three"})
        panes.AddPane(name, Content(), QStringLiteral("Sans"), 90);
    Tap(0);
    std::vector<std::string> order;
    for (const auto& [name, top] : placements)
        if (order.empty() || order.back() != name)
            order.push_back(name);
    EXPECT_EQ(order, (std::vector<std::string> {"Three", "Two", "One"}));
    EXPECT_EQ(Top(2), 0);
    EXPECT_EQ(Top(1), 20);
    EXPECT_EQ(Top(0), 40);
    EXPECT_EQ(panes.ActiveCaption(), panes.Caption(0));
    EXPECT_EQ(panes.TopCount(), 3);
    EXPECT_EQ(panes.ContentArea(), QRect(0, 60, 240, 140));
    // Tapping the top one closes the two below it.
    Tap(2);
    EXPECT_EQ(panes.TopCount(), 1);
    EXPECT_EQ(Top(0), 180);
    EXPECT_EQ(Top(1), 160);
    EXPECT_EQ(panes.ActiveCaption(), panes.Caption(2));
}

TEST_F(MultiWndTest, RefusedPanes)
{
    EXPECT_FALSE(panes.SelectLastPane(true));
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(panes.AddPane(u"P", Content(), QStringLiteral("Sans"), 90)) << i;
    EXPECT_FALSE(panes.AddPane(u"Eleventh", Content(), QStringLiteral("Sans"), 90));
    EXPECT_EQ(panes.PaneCount(), 10);

    CMultiWnd other;
    other.resize(240, 200);
    other.AddPane(u"A", nullptr, QStringLiteral("Sans"), 90);
    other.SelectLastPane(true);
    EXPECT_FALSE(other.AddPane(u"B", nullptr, QStringLiteral("Sans"), 90)) << "a pane is open";
}

TEST_F(MultiWndTest, ResizeKeepsBarsAtTheirEdges)
{
    QWidget parent;
    parent.resize(242, 202);
    panes.setParent(&parent);
    QWidget* a = Content();
    panes.AddPane(u"A", a, QStringLiteral("Sans"), 90);
    panes.AddPane(u"B", Content(), QStringLiteral("Sans"), 90);
    panes.AddPane(u"C", Content(), QStringLiteral("Sans"), 90);
    panes.SelectLastPane(true); // C open at the top
    Tap(1); // B open below it
    parent.resize(322, 142); // turned to landscape
    panes.RecalcLayout();
    EXPECT_EQ(panes.geometry(), QRect(1, 1, 320, 140));
    EXPECT_EQ(Top(2), 0);
    EXPECT_EQ(Top(1), 20);
    EXPECT_EQ(Top(0), 120) << "the closed bar stays at the bottom edge";
    EXPECT_EQ(panes.Caption(0)->width(), 320);
    EXPECT_EQ(panes.Caption(2)->width(), 320);
    EXPECT_EQ(panes.ContentArea(), QRect(0, 40, 320, 80));
    EXPECT_EQ(panes.Caption(1)->content->geometry(), QRect(0, 40, 320, 80));
    panes.setParent(nullptr);
}

TEST(MultiWndFit, EverySizeChangeFitsTheContainerIntoItsParent)
{
    QWidget parent;
    parent.resize(242, 202);
    auto* panes = new CMultiWnd(&parent);
    panes->setGeometry(10, 10, 100, 100);
    auto* content = new QWidget(panes);
    panes->AddPane(u"A", content, QStringLiteral("Sans"), 90);
    panes->SelectLastPane(true);
    parent.show();
    // Any size change of the container itself, and a size change without a
    // size as the Rules page passes on, fits it again.
    panes->resize(50, 50);
    EXPECT_EQ(panes->geometry(), QRect(1, 1, 240, 200));
    EXPECT_EQ(content->geometry(), QRect(0, 20, 240, 180));
    parent.resize(322, 142);
    QResizeEvent sizeChange(QSize(0, 0), QSize(0, 0));
    QCoreApplication::sendEvent(panes, &sizeChange);
    EXPECT_EQ(panes->geometry(), QRect(1, 1, 320, 140));
    EXPECT_EQ(content->geometry(), QRect(0, 20, 320, 120));
    EXPECT_EQ(panes->Caption(0)->width(), 320);

    // A rectangle given to it is kept.
    panes->RecalcLayout(QRect(20, 20, 102, 82));
    EXPECT_EQ(panes->geometry(), QRect(21, 21, 100, 80));
}

TEST(MultiWndFit, WithoutAParentItKeepsItsPlace)
{
    CMultiWnd panes;
    panes.setGeometry(5, 5, 200, 100);
    panes.AddPane(u"A", nullptr, QStringLiteral("Sans"), 90);
    panes.RecalcLayout();
    panes.RecalcLayout();
    EXPECT_EQ(panes.geometry(), QRect(5, 5, 200, 100));
    EXPECT_EQ(panes.Caption(0)->geometry(), QRect(0, 80, 200, 20));
}

TEST(MultiWndContents, APaneThatHasNotOpenedStaysHiddenWhenTheWindowShows)
{
    QWidget window;
    window.resize(240, 200);
    auto* panes = new CMultiWnd(&window);
    panes->resize(240, 200);
    auto* first = new QWidget(panes);
    auto* second = new QWidget(panes);
    panes->AddPane(u"First", first, QStringLiteral("Sans"), 90);
    panes->AddPane(u"Second", second, QStringLiteral("Sans"), 90);
    panes->SelectLastPane(true);
    window.show();
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(second->isVisible());
}

TEST(MultiWndContents, DestroyingTheContainerLeavesItsContentsInTheirWindow)
{
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());
    auto* window = new QWidget;
    auto* panes = new CMultiWnd(window);
    QPointer<QWidget> open = new QWidget(panes);
    QPointer<QWidget> closed = new QWidget(panes);
    panes->AddPane(u"Closed", closed, QStringLiteral("Sans"), 90);
    panes->AddPane(u"Open", open, QStringLiteral("Sans"), 90);
    panes->SelectLastPane(true);
    window->show();
    delete panes;
    for (const QPointer<QWidget>& content : {open, closed}) {
        ASSERT_FALSE(content.isNull()) << "the container does not destroy its contents";
        EXPECT_FALSE(content->isWindow());
        EXPECT_EQ(content->parentWidget(), window);
        EXPECT_TRUE(content->isHidden());
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore + 1) << "only the window";
    delete window;
    EXPECT_TRUE(open.isNull()) << "they go with the window they belong to";
    EXPECT_TRUE(closed.isNull());
}
