// CSTabCtrl on real widgets (offscreen platform): which attached controls
// are shown, hidden and enabled as tabs are selected by program and user.
#include "app/s_tab_ctrl.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/ui/qt_test_application.h"
#include "ui/dialog.h"
#include "ui/static_text.h"

namespace {

constexpr int kTabCtrlId = 1009;
constexpr int kTabCount = 3;

// Records Show and Hide events of watched widgets in one shared log, so
// that the order of a page swap is visible.
class VisibilityLog : public QObject {
 public:
  void Watch(CWnd& control, std::string name) {
    control.GetWidget()->installEventFilter(this);
    m_names.emplace_back(control.GetWidget(), std::move(name));
  }
  std::vector<std::string> m_entries;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
      for (const auto& [widget, name] : m_names) {
        if (widget == watched)
          m_entries.push_back((event->type() == QEvent::Show ? "show " : "hide ") + name);
      }
    }
    return false;
  }

 private:
  std::vector<std::pair<QObject*, std::string>> m_names;
};

// A dialog holding the tab control; counts the TCN_SELCHANGE it receives.
class HostDialog : public CDialog {
 public:
  HostDialog() : CDialog(Template()) {
    MapCommand(kTabCtrlId, TCN_SELCHANGE, [this] { ++m_selChangesSeen; });
  }
  ~HostDialog() override { DestroyWindow(); }
  int m_selChangesSeen = 0;

 private:
  static DialogTemplate Template() {
    DialogTemplate result;
    result.caption = "Host";
    result.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    result.cx = 300;
    result.cy = 200;
    return result;
  }
};

class STabCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_TRUE(m_dialog.Create());
    ASSERT_TRUE(m_tabs.Create(WS_CHILD | WS_VISIBLE, CRect{10, 10, 400, 300}, &m_dialog, kTabCtrlId));
    for (int tab = 0; tab < kTabCount; ++tab) m_tabs.InsertItem(tab, "TAB " + std::to_string(tab));
  }

  // A visible static, a child of the tab control as the unit lists are.
  CStatic& NewPageControl() {
    m_controls.push_back(std::make_unique<CStatic>());
    EXPECT_TRUE(m_controls.back()->Create("x", WS_CHILD | WS_VISIBLE, CRect{5, 30, 100, 60}, &m_tabs, -1));
    return *m_controls.back();
  }

  static bool Shown(const CWnd& control) { return (control.GetStyle() & WS_VISIBLE) != 0; }

  HostDialog m_dialog;
  std::vector<std::unique_ptr<CStatic>> m_controls;  // destroyed before the tab control
  CSTabCtrl m_tabs;
};

TEST_F(STabCtrlTest, StartsWithNoPagesAndNoCurrentPage) {
  CSTabCtrl fresh;
  EXPECT_EQ(fresh.m_nCurrentPage, -1);
  EXPECT_TRUE(fresh.m_pages.IsEmpty());
}

TEST_F(STabCtrlTest, SelectPageHidesTheOldPageBeforeShowingTheNew) {
  CStatic& first = NewPageControl();
  CStatic& second = NewPageControl();
  CStatic& secondAgain = NewPageControl();
  m_tabs.AddPageControl(&first, 0);
  m_tabs.AddPageControl(&second, 1);
  m_tabs.AddPageControl(&secondAgain, 1);

  EXPECT_EQ(m_tabs.SelectPage(0), 0);
  VisibilityLog log;
  log.Watch(first, "first");
  log.Watch(second, "second");
  log.Watch(secondAgain, "secondAgain");

  EXPECT_EQ(m_tabs.SelectPage(1), 0);
  EXPECT_EQ(m_tabs.m_nCurrentPage, 1);
  EXPECT_EQ(m_tabs.GetCurSel(), 1);
  EXPECT_EQ(log.m_entries, (std::vector<std::string>{"hide first", "show second", "show secondAgain"}));
  EXPECT_EQ(m_dialog.m_selChangesSeen, 0);  // a selection by program raises no notification
}

TEST_F(STabCtrlTest, RefusedOrRepeatedSelectionHidesAndShowsTheSamePage) {
  CStatic& shown = NewPageControl();
  m_tabs.AddPageControl(&shown, 1);
  m_tabs.SelectPage(1);
  VisibilityLog log;
  log.Watch(shown, "shown");

  struct Case {
    const char* name;
    int index;
    int expectedResult;
  };
  for (const Case& c : {Case{"refused: past the end", kTabCount, -1}, Case{"refused: negative", -2, -1},
                        Case{"already selected", 1, 1}}) {
    log.m_entries.clear();
    EXPECT_EQ(m_tabs.SelectPage(c.index), c.expectedResult) << c.name;
    EXPECT_EQ(m_tabs.GetCurSel(), 1) << c.name;
    EXPECT_EQ(m_tabs.m_nCurrentPage, 1) << c.name;
    EXPECT_TRUE(Shown(shown)) << c.name;
    EXPECT_EQ(log.m_entries, (std::vector<std::string>{"hide shown", "show shown"})) << c.name;
  }
}

// One step of a page scenario on the fixture's tab control (three tabs);
// controls are numbered in order of creation.
struct PageStep {
  enum Kind { kAttach, kSelect, kClick, kShowControl, kDisableTabs };
  Kind kind;
  int tab = 0;
  int control = 0;
  bool accepted = true;  // kAttach: whether AddPageControl takes it
};
PageStep Attach(int control, int tab, bool accepted = true) {
  return {PageStep::kAttach, tab, control, accepted};
}
PageStep Select(int tab) { return {PageStep::kSelect, tab}; }
PageStep Click(int tab) { return {PageStep::kClick, tab}; }
PageStep ShowControl(int control) { return {PageStep::kShowControl, 0, control}; }
PageStep DisableTabs() { return {PageStep::kDisableTabs}; }

struct PageCase {
  const char* name;
  std::vector<PageStep> steps;
  std::string shown;  // per control, '+' shown or '-' hidden at the end
  int currentPage;
  int selChanges = 0;        // TCN_SELCHANGE the parent received
  std::string enabled = {};  // per control, '+' enabled; empty: not checked
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

class STabCtrlPageTest : public STabCtrlTest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(STabCtrlPageTest, ShowsAndHidesTheAttachedControls) {
  const PageCase& c = GetParam();
  std::vector<CStatic*> controls;
  for (size_t i = 0; i < c.shown.size(); ++i) controls.push_back(&NewPageControl());
  for (const PageStep& step : c.steps) {
    switch (step.kind) {
      case PageStep::kAttach:
        EXPECT_EQ(m_tabs.AddPageControl(controls.at(step.control), step.tab) != FALSE, step.accepted);
        if (!step.accepted) {
          EXPECT_EQ(m_tabs.m_pages.Lookup(step.tab), nullptr);
        }
        break;
      case PageStep::kSelect:
        m_tabs.SelectPage(step.tab);
        break;
      case PageStep::kClick:
        m_tabs.ClickTab(step.tab);
        break;
      case PageStep::kShowControl:
        controls.at(step.control)->ShowWindow(SW_SHOW);
        break;
      case PageStep::kDisableTabs:
        m_tabs.EnableWindow(FALSE);
        break;
    }
  }
  std::string shown, enabled;
  for (const CStatic* control : controls) {
    shown += Shown(*control) ? '+' : '-';
    enabled += control->IsWindowEnabled() ? '+' : '-';
  }
  EXPECT_EQ(shown, c.shown);
  if (!c.enabled.empty()) {
    EXPECT_EQ(enabled, c.enabled);
  }
  EXPECT_EQ(m_tabs.m_nCurrentPage, c.currentPage);
  EXPECT_EQ(m_dialog.m_selChangesSeen, c.selChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, STabCtrlPageTest,
    ::testing::Values(
        PageCase{"AttachedControlsAreHiddenBeforeTheFirstSelection",
                 {Attach(0, 0), Attach(1, 1), Attach(2, 2)},
                 "---",
                 -1},
        PageCase{"AttachingAtOrPastTheTabCountIsRefusedAndChangesNothing",
                 {Attach(0, kTabCount, false), Attach(1, kTabCount + 1, false)},
                 "++",
                 -1},
        PageCase{"TabWithoutAPageHidesThePreviousPageAndShowsNothing",
                 {Attach(0, 0), Select(0), Select(2)},
                 "-",
                 2},
        PageCase{"ControlAttachedToTheShownTabStaysHidden", {Attach(0, 0), Select(0), Attach(1, 0)}, "+-", 0},
        PageCase{"ControlAttachedToTheShownTabShowsWhenThatTabIsSelectedAgain",
                 {Attach(0, 0), Select(0), Attach(1, 0), Select(0)},
                 "++",
                 0},
        PageCase{"UserClickSwapsPagesAndReachesTheParentToo",
                 {Attach(0, 0), Attach(1, 2), Select(0), Click(2)},
                 "-+",
                 2,
                 1},
        // Hidden when attached; shown by someone else, it stays shown and
        // enabled whatever the tab control does.
        PageCase{"NegativeIndexIsAcceptedHiddenAndNeverTouchedAgain",
                 {Attach(0, -1), ShowControl(0), Select(0), Select(1), Select(2), Select(0), Click(1),
                  DisableTabs()},
                 "+",
                 1,
                 1,
                 "+"}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST_F(STabCtrlTest, PageAtMinusOneIsNotShownWhenNoTabIsSelected) {
  CSTabCtrl empty;
  ASSERT_TRUE(empty.Create(WS_CHILD | WS_VISIBLE, CRect{0, 0, 100, 100}, &m_dialog, 1));
  CStatic& control = NewPageControl();
  ASSERT_TRUE(empty.AddPageControl(&control, -1));

  EXPECT_EQ(empty.SelectPage(0), -1);  // no tabs: refused, GetCurSel gives -1
  EXPECT_EQ(empty.m_nCurrentPage, -1);
  EXPECT_FALSE(Shown(control));
}

TEST_F(STabCtrlTest, DisablingAndEnablingReachesEveryPageIncludingHiddenOnes) {
  std::vector<CStatic*> attached;
  for (int tab = 0; tab < kTabCount; ++tab) {
    attached.push_back(&NewPageControl());
    m_tabs.AddPageControl(attached.back(), tab);
  }
  // A control beside the tab control, not inside it: not disabled with its
  // parent, so only the tab control's own handling can change it.
  CStatic sibling;
  ASSERT_TRUE(sibling.Create("s", WS_CHILD | WS_VISIBLE, CRect{0, 0, 10, 10}, &m_dialog, -1));
  m_tabs.AddPageControl(&sibling, 1);
  m_tabs.AddPageControl(nullptr, 1);
  m_tabs.SelectPage(0);
  attached[2]->EnableWindow(FALSE);  // disabled on its own before

  m_tabs.EnableWindow(FALSE);
  for (CStatic* control : attached) EXPECT_FALSE(control->IsWindowEnabled());
  EXPECT_FALSE(sibling.IsWindowEnabled());

  m_tabs.EnableWindow(TRUE);
  for (CStatic* control : attached) EXPECT_TRUE(control->IsWindowEnabled());
  EXPECT_TRUE(sibling.IsWindowEnabled());
}

TEST_F(STabCtrlTest, ControlWhoseWindowWasDestroyedAndCreatedAgainIsStillHandled) {
  CStatic& control = NewPageControl();
  m_tabs.AddPageControl(&control, 1);
  m_tabs.AddPageControl(&control, 1);  // attached twice: acts twice, same result
  m_tabs.SelectPage(1);

  control.DestroyWindow();
  m_tabs.SelectPage(0);  // acts on no window
  m_tabs.SelectPage(1);
  ASSERT_TRUE(control.Create("again", WS_CHILD | WS_VISIBLE, CRect{5, 30, 100, 60}, &m_tabs, -1));

  m_tabs.SelectPage(0);
  EXPECT_FALSE(Shown(control));
  m_tabs.SelectPage(1);
  EXPECT_TRUE(Shown(control));
}

TEST_F(STabCtrlTest, DestroyingTheWindowForgetsPagesButLeavesTheControls) {
  CStatic outside;
  ASSERT_TRUE(outside.Create("o", WS_CHILD | WS_VISIBLE, CRect{0, 0, 10, 10}, &m_dialog, -1));
  m_tabs.AddPageControl(&outside, 0);
  m_tabs.SelectPage(0);
  ASSERT_TRUE(Shown(outside));

  m_tabs.DestroyWindow();
  EXPECT_TRUE(m_tabs.m_pages.IsEmpty());
  EXPECT_NE(outside.GetSafeHwnd(), 0u);
  EXPECT_TRUE(Shown(outside));

  // Created again on the same object: selection changes show and hide nothing.
  ASSERT_TRUE(m_tabs.Create(WS_CHILD | WS_VISIBLE, CRect{10, 10, 400, 300}, &m_dialog, kTabCtrlId));
  m_tabs.InsertItem(0, "A");
  m_tabs.InsertItem(1, "B");
  m_tabs.ClickTab(1);
  m_tabs.SelectPage(0);
  EXPECT_TRUE(Shown(outside));
}

}  // namespace
