// Control identifiers of the domain login dialog. The buttons carry the
// standard ids so that Enter and Escape reach them.
#pragma once

#include <windows.h>

enum LoginControlId {
  IDT_LabelUserID = 101,
  IDE_EditID = 102,
  IDT_LabelPassword = 103,
  IDE_EditPW = 104,
  IDB_ButtonOK = IDOK,
  IDB_ButtonCancel = IDCANCEL,
};
