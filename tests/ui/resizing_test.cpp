// Resizable dialogs: the sizing border and its minimum, controls anchored to
// edges of their parent, and a dialog centred on its owner.
#include <gtest/gtest.h>

#include <QScreen>
#include <QWidget>

#include "tests/ui/window_test_support.h"
#include "ui/control_anchor.h"
#include "ui/static_text.h"

namespace {

// A control's rectangle in its parent's client area.
CRect PlaceOf(const CWnd& control) {
  const QRect place = control.GetWidget()->geometry();
  return CRect{place.left(), place.top(), place.right() + 1, place.bottom() + 1};
}

class ResizingTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureQtTestApplication(); }
};

TEST_F(ResizingTest, SizingBorderLetsTheDialogGrowButNotShrinkBelowItsTemplate) {
  CDialog sizable(PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE));
  CDialog fixed(PlainDialogTemplate());
  ASSERT_TRUE(sizable.Create());
  ASSERT_TRUE(fixed.Create());
  const QSize templateSize(300, 163);  // 200 x 100 dialog units
  EXPECT_EQ(sizable.GetWidget()->minimumSize(), templateSize);
  sizable.GetWidget()->resize(500, 400);
  EXPECT_EQ(sizable.GetWidget()->size(), QSize(500, 400));
  sizable.GetWidget()->resize(100, 50);
  EXPECT_EQ(sizable.GetWidget()->size(), templateSize);
  EXPECT_EQ(fixed.GetWidget()->minimumSize(), templateSize);
  EXPECT_EQ(fixed.GetWidget()->maximumSize(), templateSize);
}

TEST_F(ResizingTest, AnchoredControlsKeepTheirDistanceToTheirEdges) {
  struct Case {
    const char* name;
    UINT edges;
    CRect expected;  // after the parent grew from 300 x 163 to 400 x 263
  };
  // The control lies at 10, 20 to 60, 50: 240 px from the right edge and
  // 113 px from the bottom.
  const Case cases[] = {
      {"TopLeft", kAnchorLeft | kAnchorTop, CRect{10, 20, 60, 50}},
      {"None", 0, CRect{10, 20, 60, 50}},
      {"AllEdgesGrow", kAnchorAll, CRect{10, 20, 160, 150}},
      {"BottomRightMoves", kAnchorRight | kAnchorBottom, CRect{110, 120, 160, 150}},
      {"BottomRowGrowsInWidth", kAnchorLeft | kAnchorRight | kAnchorBottom, CRect{10, 120, 160, 150}},
      {"ColumnGrowsInHeight", kAnchorLeft | kAnchorTop | kAnchorBottom, CRect{10, 20, 60, 150}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDialog parent(PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE));
    ASSERT_TRUE(parent.Create());
    CStatic control;
    ASSERT_TRUE(control.Create("x", WS_CHILD | WS_VISIBLE, CRect{10, 20, 60, 50}, &parent, 1));
    ASSERT_TRUE(AnchorToParent(control, c.edges));
    parent.GetWidget()->resize(400, 263);
    EXPECT_EQ(PlaceOf(control), c.expected);
    // Back to the first size, back to the first place.
    parent.GetWidget()->resize(300, 163);
    EXPECT_EQ(PlaceOf(control), (CRect{10, 20, 60, 50}));
  }
}

TEST_F(ResizingTest, AnchorTakesThePlaceAtTheTimeOfAnchoringAndNeedsAParent) {
  CDialog parent(PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_THICKFRAME));  // not shown yet
  ASSERT_TRUE(parent.Create());
  CStatic control;
  ASSERT_TRUE(control.Create("x", WS_CHILD | WS_VISIBLE, CRect{10, 20, 60, 50}, &parent, 1));
  ASSERT_TRUE(AnchorToParent(control, kAnchorAll));
  control.MoveWindow(0, 0, 100, 100);
  ASSERT_TRUE(AnchorToParent(control, kAnchorRight | kAnchorBottom));  // replaces the first
  // Resized while hidden: the control follows by the time the parent shows.
  parent.GetWidget()->resize(400, 263);
  parent.ShowWindow(SW_SHOW);
  EXPECT_EQ(PlaceOf(control), (CRect{100, 100, 200, 200}));

  CStatic orphan;
  EXPECT_FALSE(AnchorToParent(orphan, kAnchorAll));
  EXPECT_FALSE(AnchorToParent(parent, kAnchorAll));  // a top-level window
}

TEST_F(ResizingTest, CenterWindowPutsADialogOverTheMiddleOfItsOwner) {
  CDialog owner(PlainDialogTemplate(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE));
  ASSERT_TRUE(owner.Create());
  const QRect screen = owner.GetWidget()->screen()->availableGeometry();
  owner.GetWidget()->setGeometry(screen.left() + 40, screen.top() + 30, 600, 400);
  CDialog owned(PlainDialogTemplate(WS_POPUP | WS_CAPTION), &owner);
  ASSERT_TRUE(owned.Create());
  owned.CenterWindow();  // before it is shown, as OnInitDialog does
  owned.ShowWindow(SW_SHOW);
  EXPECT_EQ(owned.GetWidget()->frameGeometry().center(), owner.GetWidget()->frameGeometry().center());

  // An owner at the screen's edge: the dialog stays on the screen.
  owner.GetWidget()->move(screen.left() - 250, screen.top());
  owned.CenterWindow();
  EXPECT_EQ(owned.GetWidget()->frameGeometry().left(), screen.left());
}

}  // namespace
