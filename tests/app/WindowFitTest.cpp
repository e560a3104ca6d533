// The main window fits its screen at every scale factor: from its minimum
// size up, every visible control lies inside the window, none overlaps
// another, and each lies wholly inside or wholly outside each group box.
// The suite runs once more for each of the scale factors 1.25, 1.5 and 2
// (QT_SCALE_FACTOR) on a screen of 1280x720 logical pixels.
#include "MainWinFixture.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <string>
#include <vector>

namespace {

class WindowFitTest : public MainWinFixture {
protected:
    // What is wrong with the layout at the window's present size, one line
    // each; empty when nothing is.
    std::vector<std::string> LayoutFaults() const
    {
        struct Placed {
            int id;
            QRect rect;
            bool group;
        };
        std::vector<Placed> placed;
        for (const CDialogControl& c : win->Template().Controls()) {
            QWidget* w = win->Control(c.id);
            if (w == nullptr || !w->isVisible())
                continue;
            placed.push_back({c.id, w->geometry(), qobject_cast<QGroupBox*>(w) != nullptr});
        }
        std::vector<std::string> faults;
        const QRect client(QPoint(0, win->TopBarHeight()), QSize(win->width(), win->height() - win->TopBarHeight()));
        auto name = [](int id) { return std::to_string(id); };
        for (const Placed& p : placed) {
            if (!client.contains(p.rect))
                faults.push_back(name(p.id) + " leaves the window");
        }
        for (std::size_t i = 0; i < placed.size(); ++i) {
            for (std::size_t j = i + 1; j < placed.size(); ++j) {
                const Placed& a = placed[i];
                const Placed& b = placed[j];
                if (!a.rect.intersects(b.rect))
                    continue;
                if (a.group && b.group) {
                    // Neighbouring groups share their edge line (the template
                    // puts them edge to edge, rounding may give a pixel).
                    const QRect common = a.rect.intersected(b.rect);
                    if (common.width() > 2 && common.height() > 2)
                        faults.push_back(name(a.id) + " and " + name(b.id) + " overlap");
                } else if (a.group || b.group) {
                    const Placed& group = a.group ? a : b;
                    const Placed& inner = a.group ? b : a;
                    if (!group.rect.contains(inner.rect))
                        faults.push_back(name(inner.id) + " runs over the edge of " + name(group.id));
                } else {
                    faults.push_back(name(a.id) + " and " + name(b.id) + " overlap");
                }
            }
        }
        return faults;
    }
};

std::string Joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

} // namespace

TEST_F(WindowFitTest, EveryControlHasItsPlaceFromTheMinimumUpAndTheMinimumFitsTheScreen)
{
    NameImages({CardWith("card.img", {{0, 0, 25, 1, "A"}, {1, 25, 25, 2, "B"}}, {{{0, 1}, true, {}}})});
    CMainWin& w = Start();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The screens of 2026 desktops: 1280x720 logical pixels is the smallest
    // the window must fit, with room for a title bar and a panel.
    EXPECT_LE(w.minimumWidth(), 1280);
    EXPECT_LE(w.minimumHeight(), 720 - 64);
    ASSERT_NE(nullptr, w.findChild<QMenuBar*>());
    EXPECT_TRUE(w.findChild<QMenuBar*>()->isVisible());

    for (const QSize size : {w.minimumSize(), w.minimumSize() + QSize(1, 1), QSize(1280, 720 - 64), QSize(1600, 1000)}) {
        w.resize(size);
        QTest::qWait(0);
        EXPECT_EQ("", Joined(LayoutFaults())) << "at " << w.width() << "x" << w.height();
    }
    // Smaller than the minimum is not taken.
    w.resize(200, 200);
    EXPECT_EQ(w.minimumSize(), w.size());
}

TEST_F(WindowFitTest, ASavedPlacePartlyOffTheScreenIsMovedOntoIt)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // Saved on a larger screen or at a smaller scale: its bottom right is
    // off this one.
    WriteProfileInt("Layout", "Left", area.right() - 200);
    WriteProfileInt("Layout", "Top", area.bottom() - 100);
    WriteProfileInt("Layout", "Width", 1000);
    WriteProfileInt("Layout", "Height", 650);
    CMainWin& w = Start();
    const QRect r = w.geometry();
    EXPECT_GE(r.left(), area.left());
    EXPECT_GE(r.top(), area.top());
    if (r.width() <= area.width() && r.height() <= area.height()) {
        EXPECT_TRUE(area.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    }
    EXPECT_EQ(QSize(1000, 650).expandedTo(w.minimumSize()), r.size()) << "moved, not resized";
}
