// What an unattended run answers and chooses in place of a person: message
// boxes printed and answered, and the port and log file chosen through the
// dialog's own controls.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/headless_responder.h"
#include "app/run_choices.h"
#include "tests/app/dialog_probe.h"
#include "tests/ui/scripted_dialog_responder.h"

namespace {

// Everything written to a temporary stream.
std::string Written(std::FILE* stream) {
  std::rewind(stream);
  std::string text;
  for (int c; (c = std::fgetc(stream)) != EOF;) text.push_back(static_cast<char>(c));
  return text;
}

// A window photographed unattended has nobody to answer its boxes: each is
// written and answered as if closed.
TEST(HeadlessResponderTest, EveryBoxIsWrittenAndAnsweredAsClosed) {
  struct Case {
    const char* name;
    UINT type;
    int answer;
  };
  const Case cases[] = {
      {"Question", MB_YESNOCANCEL, IDCANCEL},
      {"YesNoQuestion", MB_YESNO | MB_ICONQUESTION, IDNO},
      {"ErrorBox", MB_OK | MB_ICONERROR, IDOK},
  };
  for (const Case& c : cases) {
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    HeadlessResponder responder(out);
    MessageBoxRequest request;
    request.caption = "Plenx Logger";
    request.text = "Question";
    request.type = c.type;
    EXPECT_EQ(responder.AnswerMessageBox(request), c.answer) << c.name;
    EXPECT_EQ(Written(out), "Plenx Logger: Question\n") << c.name;
    std::fclose(out);
  }
}

TEST(HeadlessResponderTest, PrintsTextsAsUtf8AndCancelsFileDialogs) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  HeadlessResponder responder(out);
  MessageBoxRequest request;
  request.caption = "Plenx Logger";
  // As the window reads them: a Windows-1252 degree sign, a file name that
  // is UTF-8 already.
  request.text =
      "21 \xB0"
      "F";
  responder.AnswerMessageBox(request);
  request.text = "/tmp/caf\xC3\xA9.log";
  responder.AnswerMessageBox(request);
  EXPECT_EQ(Written(out),
            "Plenx Logger: 21 \xC2\xB0"
            "F\nPlenx Logger: /tmp/caf\xC3\xA9.log\n");
  EXPECT_FALSE(responder.AnswerSaveFile(SaveFileRequest{}).has_value());
  std::fclose(out);
}

using RunChoicesTest = DialogTest;

TEST_F(RunChoicesTest, PortIsSelectedAsAUserWould) {
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  EXPECT_TRUE(ChoosePort(dlg, "COM7"));
  EXPECT_EQ(dlg.m_config.portName, "COM7");
  EXPECT_FALSE(ChoosePort(dlg, "COM25"));
  EXPECT_EQ(dlg.m_config.portName, "COM7");
}

TEST_F(RunChoicesTest, LogFileIsTakenAsTheSaveDialogTakesIt) {
  // Message boxes during the choice still reach the responder installed.
  ScriptedDialogResponder installed;
  SetDialogResponder(&installed);
  DialogProbe dlg(std::string{});
  ASSERT_TRUE(dlg.Create());
  EXPECT_EQ(ChooseLogFile(dlg, "site.log"), "");
  const std::string full = (std::filesystem::current_path() / "site.log").string();
  EXPECT_EQ(dlg.m_config.logFileName, full);
  EXPECT_EQ(dlg.m_logNameEdit.GetWindowText(), full);

  const std::string missingFolder = m_files.path() + "/missing/site.log";
  EXPECT_EQ(ChooseLogFile(dlg, missingFolder),
            "cannot log to " + missingFolder + ": its folder does not exist");
  const std::string tooLong = m_files.path() + "/" + std::string(260, 'x');
  EXPECT_EQ(ChooseLogFile(dlg, tooLong), "cannot log to " + tooLong + ": the path is longer than 259 bytes");
  EXPECT_EQ(dlg.m_config.logFileName, full);
  EXPECT_EQ(GetDialogResponder(), &installed);
  SetDialogResponder(nullptr);
}

}  // namespace
