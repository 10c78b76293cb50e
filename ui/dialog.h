// CDialog: a dialog built from a template, run modally or modelessly.
//
// Life of a dialog window: the template's window and controls are created,
// DoDataExchange binds member controls to them (BindControl), OnInitDialog
// runs, then the window is shown. Escape, the window's close and a click on
// a button with identifier IDCANCEL run OnCancel; Enter clicks the focused
// push button, else the default push button (BS_DEFPUSHBUTTON), else runs
// the IDOK command, which OnOK handles; OnOK and OnCancel end the dialog. A
// map entry (MapCommand) for IDOK or IDCANCEL takes their place, as for
// any other control. Ending a modal dialog destroys its window, running
// OnDestroy on it and its controls, before DoModal returns: so before the
// dialog's members go.
//
// A dialog with a sizing border (WS_THICKFRAME) can be enlarged by the user
// but not made smaller than its template; its controls keep their template
// places unless they are anchored (control_anchor.h).
#pragma once

#include <memory>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/wnd.h"

class QEventLoop;
class QIcon;

class CDialog : public CWnd {
 public:
  // Keeps a copy of `dialogTemplate`; `pParentWnd` is the owner (may be null).
  explicit CDialog(DialogTemplate dialogTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Creates the window, runs it modally in a nested event loop until
  // EndDialog, destroys the window and returns EndDialog's result; -1 when
  // the window could not be created (it already exists, or the owner has
  // no window). Meanwhile the owner's window (and its owners') takes no
  // input, as on Win32, and every other window does: a dialog without an
  // owner blocks none.
  virtual INT_PTR DoModal();
  // Creates the window without a modal loop (it is shown when the template
  // has WS_VISIBLE). FALSE when it already exists.
  BOOL Create();
  // Ends the modal loop with `nResult`; for a modeless dialog, hides it.
  void EndDialog(int nResult);

  // The window's icon (title bar and task bar); both sizes use `icon`.
  void SetIcon(const QIcon& icon, BOOL bBigIcon);

 protected:
  // Binds members to the template's controls; runs before OnInitDialog.
  virtual void DoDataExchange();
  // Returns TRUE to have the first tab-stop control take the focus.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL OnCommand(int controlId, UINT code) override;

  // Gives the template's control `nID` to `control`, which then receives its
  // notifications and handles its window (the dialog's own object for it
  // keeps none). FALSE when there is no such control or `control` already
  // has a window.
  BOOL BindControl(int nID, CWnd& control);

 private:
  BOOL CreateDialogWindow();

  DialogTemplate m_template;
  CWnd* m_pParentWnd;
  std::vector<std::unique_ptr<CWnd>> m_templateControls;
  QEventLoop* m_modalLoop = nullptr;
  bool m_endRequested = false;
  int m_modalResult = -1;
};
