// Control identifiers of the dialog that copies settings between LAN cards.
#pragma once

enum OtherLANControlId {
  IDT_LabelCopyFrom = 2001,
  IDC_ComboFrom = 2002,
  IDT_LabelCopyTo = 2003,
  IDC_ComboTo = 2004,
  IDB_ButtonCopy = 2005,
  IDB_ButtonRefresh = 2006,
  IDB_ButtonCancel = 2007,
};
