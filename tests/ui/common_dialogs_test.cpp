// Message boxes and the save-file dialog: answered by a responder, and as
// real windows whose nested loop goes on handling posted messages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "tests/ui/scripted_dialog_responder.h"
#include "tests/ui/window_test_support.h"
#include "ui/dialog_responder.h"
#include "ui/message_box.h"
#include "ui/save_file_dialog.h"
#include "ui/win_app.h"

namespace {

constexpr UINT kRecordMessage = WM_APP + 1;

class CommonDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureQtTestApplication();
    ASSERT_TRUE(m_owner.Create());
  }
  void TearDown() override { SetDialogResponder(nullptr); }

  class Owner : public CDialog {
   public:
    Owner() : CDialog(PlainDialogTemplate()) {
      MapMessage(kRecordMessage, [this](WPARAM wParam, LPARAM) {
        m_handled.push_back(static_cast<int>(wParam));
        return LRESULT{0};
      });
    }
    ~Owner() override { DestroyWindow(); }
    std::vector<int> m_handled;
  } m_owner;
};

TEST_F(CommonDialogsTest, ResponderAnswersMessageBoxesAndSeesWhatWouldBeShown) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  responder.QueueMessageBoxAnswer(IDYES);
  EXPECT_EQ(m_owner.MessageBox("File a.log exists.", "Request", MB_YESNOCANCEL), IDYES);
  // Nothing queued: the answer of closing the box.
  EXPECT_EQ(MessageBox(0, "Already started", "", MB_OK), IDOK);
  EXPECT_EQ(MessageBox(0, "q", "c", MB_YESNOCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox(0, "q", "c", MB_YESNO), IDNO);

  ASSERT_EQ(responder.MessageBoxes().size(), 4u);
  const MessageBoxRequest& first = responder.MessageBoxes()[0];
  EXPECT_EQ(first.owner, m_owner.GetSafeHwnd());
  EXPECT_EQ(first.text, "File a.log exists.");
  EXPECT_EQ(first.type, MB_YESNOCANCEL);
  EXPECT_EQ(responder.MessageBoxes()[1].caption, ApplicationName());  // no caption given
}

TEST_F(CommonDialogsTest, ResponderCanLetPostedMessagesRunWhileTheBoxIsOpen) {
  ScriptedDialogResponder responder;
  responder.SetPumpWhileOpen(true);
  SetDialogResponder(&responder);
  m_owner.PostMessage(kRecordMessage, 1, 0);
  m_owner.MessageBox("Encountered an improper argument.", "", MB_OK | MB_ICONERROR);
  EXPECT_EQ(m_owner.m_handled, (std::vector<int>{1}));
}

TEST_F(CommonDialogsTest, RealMessageBoxKeepsHandlingPostedMessagesUntilAnswered) {
  // While the box is open: post two records, wait until they are handled,
  // then press Yes.
  QTimer::singleShot(0, [this] {
    m_owner.PostMessage(kRecordMessage, 1, 0);
    m_owner.PostMessage(kRecordMessage, 2, 0);
  });
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || m_owner.m_handled.size() < 2) return;
    EXPECT_EQ(box->text(), QStringLiteral("Append?"));
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    box->button(QMessageBox::Yes)->click();
  });
  poll.start(5);
  EXPECT_EQ(m_owner.MessageBox("Append?", "Request", MB_YESNOCANCEL | MB_ICONERROR), IDYES);
  EXPECT_EQ(m_owner.m_handled, (std::vector<int>{1, 2}));
}

TEST_F(CommonDialogsTest, RealMessageBoxIsCentredOnItsOwnerWithItsWholeCaptionAndOnlyAClose) {
  QWidget* owner = m_owner.GetWidget();
  owner->move(250, 200);
  // A short text under a long caption: the box is sized for the caption.
  const QString caption = QStringLiteral("Tessam/Morvane Plenx Logger Service");
  QRect boxPlace;
  Qt::WindowFlags flags;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    boxPlace = box->frameGeometry();
    flags = box->windowFlags();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(m_owner.MessageBox("Already started", "Tessam/Morvane Plenx Logger Service", MB_OK), IDOK);
  EXPECT_EQ(boxPlace.center(), owner->frameGeometry().center());
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
  EXPECT_GE(boxPlace.width(), QFontMetrics(titleFont).horizontalAdvance(caption) + kCaptionDecorationPx);
  // Without CustomizeWindowHint window managers draw every button.
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
}

class SaveFileTest : public CommonDialogsTest {
 protected:
  SaveFileRequest LogRequest() const {
    SaveFileRequest request;
    request.owner = m_owner.GetSafeHwnd();
    request.filters = {{"All", "*.*"}, {"Log files", "*.log"}};
    request.filterIndex = 2;
    request.fileBufferBytes = MAX_PATH;
    request.flags = OFN_PATHMUSTEXIST;
    return request;
  }
  const std::string m_folder = ::testing::TempDir();
};

TEST_F(SaveFileTest, ResponderPathKeepsItsBytesAndOpens) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  // A name outside Windows-1252, and one that is not UTF-8 at all.
  for (const std::string name : {"\xE6\x97\xA5\xE5\xBF\x97.log", "caf\xE9.log"}) {
    responder.QueueSaveFileAnswer(m_folder + name);
    std::string path;
    ASSERT_TRUE(GetSaveFileName(LogRequest(), &path));
    EXPECT_EQ(path, m_folder + name);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    EXPECT_GE(fd, 0) << path;
    ::close(fd);
    ::unlink(path.c_str());
  }
  const SaveFileRequest& seen = responder.SaveFileDialogs().front();
  EXPECT_EQ(seen.filterIndex, 2);
  EXPECT_EQ(seen.filters[1].pattern, "*.log");
}

TEST_F(SaveFileTest, CancelMissingFolderAndTooLongPathChangeNothing) {
  ScriptedDialogResponder responder;
  SetDialogResponder(&responder);
  struct Case {
    const char* name;
    std::optional<std::string> answer;
  };
  const Case cases[] = {
      {"cancelled", std::nullopt},
      {"folder missing", m_folder + "no-such-folder/x.log"},
      {"260 bytes with its zero do not fit", "/" + std::string(MAX_PATH - 1, 'a')},
  };
  for (const Case& c : cases) {
    responder.QueueSaveFileAnswer(c.answer);
    std::string path = "unchanged";
    EXPECT_FALSE(GetSaveFileName(LogRequest(), &path)) << c.name;
    EXPECT_EQ(path, "unchanged") << c.name;
  }
  responder.QueueSaveFileAnswer("/" + std::string(MAX_PATH - 2, 'a'));  // 259 bytes fit
  SaveFileRequest anyFolder = LogRequest();
  anyFolder.flags = 0;
  std::string path;
  EXPECT_TRUE(GetSaveFileName(anyFolder, &path));
}

TEST_F(SaveFileTest, RealDialogOffersTheFiltersAndAddsNoExtension) {
  const std::string existing = m_folder + "existing";  // no extension, already there
  ::close(::open(existing.c_str(), O_CREAT | O_WRONLY, 0600));
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    poll.stop();
    EXPECT_EQ(dialog->nameFilters(), (QStringList{"All (*)", "Log files (*.log)"}));
    EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Log files (*.log)"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    dialog->selectFile(QString::fromStdString(existing));
    QMetaObject::invokeMethod(dialog, "accept");  // the Save button
  });
  poll.start(5);
  std::string path;
  EXPECT_TRUE(GetSaveFileName(LogRequest(), &path));
  EXPECT_EQ(path, existing);
  ::unlink(existing.c_str());
}

}  // namespace
